#pragma once

#include "windows_api.h"

#include <functional>
#include <string>

#include "app/controls.h"
#include "app/journal_lines.h"
#include "app/station_window_model.h"
#include "app/status_line_text.h"
#include "app/window_thread_ui.h"
#include "window_placement.h"

namespace rz {
class Station;
}

namespace rz::win32 {

class Win32StationUi;

// The station's main window, a dialog built from the core's control table
// (StationDialogTemplate): the operation buttons (the only tab stops, in
// focus-index order), the journal, the status line, the port and CPU clock
// selectors, the Ethernet switch and the "Sound" label. It closes only
// through the exit button, which writes the results log; ESC raises the abort flag and ENTER (when no button takes it) the run
// request flag.
//
// Its message loop passes every key press through the key filter (the focus
// ring, the option keys) before the dialog manager sees it.
//
// The public operations are for the window's thread; worker threads reach
// them through Win32StationUi.
class CStationDlg final : public rz::StationWindow {
 public:
  CStationDlg(rz::Station& station, Win32StationUi& ui);
  ~CStationDlg() override;
  CStationDlg(const CStationDlg&) = delete;
  CStationDlg& operator=(const CStationDlg&) = delete;

  // Creates and shows the window (modeless; RunUntilClosed makes it modal
  // for the program). Returns false when the system could not create it.
  bool Create();
  // The window's message loop: returns when the exit button has closed the
  // window (or the thread's message queue was told to quit).
  void RunUntilClosed();
  // One message as the loop handles it: the key filter, then the dialog
  // manager, then the window procedure; then the focus index follows the
  // focus.
  void Dispatch(MSG& message);
  bool Closed() const { return closed_; }

  HWND Handle() const { return dialog_; }
  HWND Control(int id) const { return ::GetDlgItem(dialog_, id); }
  HWND Control(rz::ControlRole role) const { return Control(rz::ControlOf(role).id); }
  // The button with focus index 1..kButtonCount.
  HWND Button(int focusIndex) const;
  // Focus index (1..kButtonCount) of the button that has the keyboard focus, or 0.
  int FocusedButton() const;

  // Window operations.
  const rz::JournalLines& Journal() const { return journal_; }
  void AddJournalLine(int mode, const std::string& text) override;
  void SetJournalLine(int line, const std::string& text) override;
  void InsertJournalLine(int line, const std::string& text) override;
  void DeleteJournalLine(int line) override;
  int JournalLineCount() const override { return journal_.Count(); }
  std::string JournalLineText(int line) const override { return journal_.Text(line); }
  void SetStatusText(const std::string& text) override;
  // Shows after the status text what `remark` says, asked every second
  // (how many finished units wait for the shared folder). Before Create().
  void WatchStatusRemark(std::function<std::string()> remark) { statusRemark_ = std::move(remark); }
  void SetOperationControlsEnabled(bool enable) override;
  void SetSelectorEnabled(rz::Selector selector, bool enable) override;
  // Posts `count` next-control requests; they are handled after the current message.
  void PostNextControlRequests(int count) override;
  void FocusJournal() override;
  int SelectorIndex(rz::Selector selector) const override;
  void SetSelectorIndex(rz::Selector selector, int index) override;
  bool EthernetSwitch() const override;
  void SetEthernetSwitch(bool checked) override;
  void UpdateModeCaptions();
  void UpdateLabels();

 private:
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void InitDialog();
  void OnCommand(int id, int code);
  void OnTimer();
  void OnExit();
  // Ends the run when the session ends: ESC until the operation stops (or
  // its grace time has passed), then the results log.
  void OnEndSession();
  // Returns true when the key filter swallows the message.
  bool FilterKey(const MSG& message);
  // Gives the keyboard focus to a button (focus index; 0: none).
  void FocusButton(int focusIndex);
  // After every message: the focus index and the default border follow the
  // button that has the focus, wherever the focus came from.
  void FollowFocus();
  // The Ethernet switch or a selector keeps the focus after a click that
  // started nothing: it goes back to the focus index's button.
  void ReturnStrayFocus();
  void ShowJournalLine(int line);
  void SetText(HWND control, const std::string& text);
  HWND SelectorControl(rz::Selector selector) const;

  rz::Station& station_;
  Win32StationUi& ui_;
  rz::StationWindowModel model_;
  rz::JournalLines journal_;
  // Every dialog and message box opened over the window is centred on it.
  CentreDialogsOnOwner centring_;
  HWND dialog_ = nullptr;
  HICON smallIcon_ = nullptr;
  rz::StatusLineText statusText_;
  std::function<std::string()> statusRemark_;
  bool closed_ = false;
};

}  // namespace rz::win32
