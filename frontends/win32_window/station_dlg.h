#pragma once

#include <windows.h>

#include <string>

#include "app/journal_lines.h"
#include "app/station_ui.h"
#include "app/station_window_model.h"

namespace rz {
class Station;
}

namespace rz::win32 {

class Win32StationUi;

// The station's main window, from dialog template 102: twelve operation
// buttons (the only tab stops, in focus-index order), the journal, the status
// line, the port and CPU clock selectors, the Ethernet switch and the "Sound"
// label. It closes only through the exit button, which writes the results
// log; ESC raises the abort flag and ENTER (when no button takes it) the run
// request flag.
//
// Its message loop passes every key press through the key filter (the focus
// ring, the option keys) before the dialog manager sees it.
//
// The public operations are for the window's thread; worker threads reach
// them through Win32StationUi.
class CStationDlg {
 public:
  CStationDlg(rz::Station& station, Win32StationUi& ui);
  ~CStationDlg();
  CStationDlg(const CStationDlg&) = delete;
  CStationDlg& operator=(const CStationDlg&) = delete;

  // Creates and shows the window (modeless; RunUntilClosed makes it modal
  // for the program). Returns false when the system could not create it.
  bool Create();
  // The window's message loop: returns when the exit button has closed the
  // window (or the thread's message queue was told to quit).
  void RunUntilClosed();
  // One message as the loop handles it: the key filter, then the dialog
  // manager, then the window procedure.
  void Dispatch(MSG& message);
  bool Closed() const { return closed_; }

  HWND Handle() const { return dialog_; }
  HWND Control(int id) const { return ::GetDlgItem(dialog_, id); }
  // The button with focus index 1..12.
  HWND Button(int focusIndex) const;
  // Focus index (1..12) of the button that has the keyboard focus, or 0.
  int FocusedButton() const;

  // Window operations.
  const rz::JournalLines& Journal() const { return journal_; }
  void AddJournalLine(int mode, const std::string& text);
  void SetJournalLine(int line, const std::string& text);
  void InsertJournalLine(int line, const std::string& text);
  void DeleteJournalLine(int line);
  void SetStatusText(const std::string& text);
  void SetOperationControlsEnabled(bool enable);
  void SetSelectorEnabled(rz::Selector selector, bool enable);
  // Posts `count` next-control requests; they are handled after the current message.
  void PostNextControlRequests(int count);
  void FocusJournal();
  int SelectorIndex(rz::Selector selector) const;
  void SetSelectorIndex(rz::Selector selector, int index);
  bool EthernetSwitch() const;
  void SetEthernetSwitch(bool checked);
  void UpdateModeCaptions();
  void UpdateSoundLabel();

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
  // The arrow keys' move: to the neighbouring enabled button in `direction`
  // (+1 or -1), without wrapping; nothing when no button has the focus.
  void ArrowStep(int direction);
  void FollowMouseFocus(const MSG& message);
  void ShowJournalLine(int line);
  void SetText(int id, const std::string& text);
  HWND SelectorControl(rz::Selector selector) const;

  rz::Station& station_;
  Win32StationUi& ui_;
  rz::StationWindowModel model_;
  rz::JournalLines journal_;
  HWND dialog_ = nullptr;
  HICON smallIcon_ = nullptr;
  bool closed_ = false;
  // Button that had the focus when the controls were disabled (0 = none); it
  // gets the focus back when they are enabled, unless it moved elsewhere.
  int focusBeforeDisable_ = 0;
};

}  // namespace rz::win32
