#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "app/journal_lines.h"
#include "debug/debug_console.h"
#include "debug/debug_ui.h"
#include "debug/debug_window_model.h"
#include "help_box.h"

namespace rz {
class Station;
}

namespace rz::win32 {

// Shows a help text over `owner` (ShowHelpMessageBox; a test records it instead).
using HelpPresenter = std::function<void(HWND owner, const std::string& caption, const std::string& text)>;

// The debug console (dialog template IDD_DEBUG): five target buttons and
// "Выход", the operation, address and data fields, its own journal and a
// status line whose click shows the target's help. A target button starts
// that target's thread, which keeps the window in target mode until ESC while
// editing. ENTER raises the run request flag and ESC the abort flag; the
// window closes only through "Выход", which target mode disables. What a key,
// a field's focus or a click on the status line does is the core's
// DebugWindowModel; this class carries it out with Win32 controls.
//
// The DebugUi operations may be called from any thread: they run on the
// window's thread and return once they have (the focus requests only post).
class CDebugDlg final : public DebugUi {
 public:
  explicit CDebugDlg(Station& station);
  // Ends target mode, waits for the target thread and destroys the window.
  ~CDebugDlg() override;
  CDebugDlg(const CDebugDlg&) = delete;
  CDebugDlg& operator=(const CDebugDlg&) = delete;

  // Creates the window over `owner`, visible, without a message loop of its
  // own (tests drive it through Dispatch). False when it cannot be created.
  bool Create(HWND owner);
  // Creates the window and runs it modally: `owner` takes no input until
  // "Выход" ends the run.
  void RunModal(HWND owner);
  // One message of the window's thread, as the modal loop handles it: the key
  // filter, then the dialog manager, then normal dispatch.
  void Dispatch(MSG& message);
  // Whether "Выход" has ended the window's run.
  bool Ended() const { return ended_; }

  void SetHelpPresenter(HelpPresenter presenter);
  HWND Window() const { return window_; }
  HWND Control(int id) const { return GetDlgItem(window_, id); }
  DebugConsoleState& State() { return state_; }
  // Button number (1..6) holding the keyboard focus, or 0.
  int FocusedButton() const;

  // DebugUi.
  void AddDebugLine(int mode, const std::string& text) override;
  void SetDebugStatus(const std::string& text) override;
  void RestoreDebugFocus(std::uint8_t count) override;
  void EnableTargetButtons(bool enable) override;
  void EnableFields(bool operation, bool address, bool data) override;
  void ClearFields(bool operation, bool address, bool data) override;
  void RequestOperationFocus() override;
  void RequestJournalFocus() override;
  void SetFieldLimits(const FieldLimits& limits) override;
  std::string ReadField(DebugField field, int limit) override;

 private:
  static INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnInit();
  void OnCommand(int id, int code);
  // Returns true when the key message is swallowed.
  bool FilterKey(const MSG& message);
  void OnTargetButton(int number);
  void OnFieldFocus(DebugField field);
  void ShowHelp();
  void FocusControl(HWND control);
  void PostNextTabStops(int count);
  // Lets a running target thread end (ESC) while the window's messages keep
  // flowing, then joins it.
  void FinishTargetThread();

  Station& station_;
  DebugConsoleState state_;
  DebugContext context_;
  DebugWindowModel model_;
  HelpPresenter presenter_;
  HWND window_ = nullptr;
  // The journal's lines, mirrored by its list view.
  JournalLines journal_;
  bool ended_ = false;
  std::thread target_;
  std::atomic<bool> targetRunning_{false};
};

}  // namespace rz::win32
