#pragma once

#include <QDialog>
#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "app/controls.h"
#include "app/station_ui.h"
#include "app/station_window_model.h"
#include "app/status_line_text.h"
#include "app/window_thread_ui.h"
#include "dialog_units.h"
#include "journal_model.h"
#include "key_events.h"
#include "session/run_end.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTimer;

namespace rz {
class Station;
}

namespace rz::gui {

class JournalView;
class QtStationUi;

// Number of operation buttons; the focus index runs 1..kButtons.
inline constexpr int kButtons = rz::kButtonCount;

// The station's main window, built from the core's control table
// (kMainWindowControls): the operation buttons (the only tab stops, in
// focus-index order), the journal, the status line, the port and CPU clock
// selectors, the Ethernet switch and the "Sound" label. It closes only through
// the exit button; ESC raises the abort flag and ENTER (when no button takes it)
// the run request flag. The window asks the window manager for a caption
// without system menu, close, minimise and maximise boxes; where a window
// manager shows a close box all the same, closing ends the run as EndRun does.
//
// A key filter on the application sees every key press meant for this window
// before the widgets do and hands it to the window model (StationWindowModel),
// which keeps the focus index (the number of the focused button) in step with
// the keyboard focus, chooses where the focus moves and toggles the run's
// options; the window carries out what the model answers.
//
// The public operations below are for the GUI thread; worker threads reach them
// through QtStationUi.
class CStationDlg final : public QDialog, public rz::StationWindow {
  Q_OBJECT

 public:
  CStationDlg(rz::Station& station, QtStationUi& ui, QWidget* parent = nullptr);
  ~CStationDlg() override;

  // Runs the test-parameters dialog of the external COM test while the test
  // waits for it (CTestParamsDlg on the station's parameters; replaceable).
  std::function<void()> runTestParamsDialog;
  // Called when the operator clicks the Ethernet switch (after the check box
  // has changed its state) instead of the station's switch handler.
  std::function<void()> onEthernetSwitchClicked;

  // Window operations.
  JournalModel& Journal() { return journal_; }
  void AddJournalLine(int mode, const std::string& text) override;
  void SetJournalLine(int line, const std::string& text) override;
  void InsertJournalLine(int line, const std::string& text) override;
  void DeleteJournalLine(int line) override;
  int JournalLineCount() const override { return journal_.Count(); }
  std::string JournalLineText(int line) const override { return journal_.Text(line); }
  void SetStatusText(const std::string& text) override;
  // Shows after the status text what `remark` says, asked every second
  // (how many finished units wait for the shared folder).
  void WatchStatusRemark(std::function<std::string()> remark);
  void SetOperationControlsEnabled(bool enable) override;
  void SetSelectorEnabled(rz::Selector selector, bool enable) override;
  // Queues `count` next-control requests; they run after the current event.
  void PostNextControlRequests(int count) override;
  // Moves the keyboard focus to the next enabled button after the focused
  // one, wrapping from the last to the first; from anywhere else (the journal)
  // to the first enabled button.
  void NextControl();
  void FocusJournal() override;
  int SelectorIndex(rz::Selector selector) const override;
  void SetSelectorIndex(rz::Selector selector, int index) override;
  bool EthernetSwitch() const override;
  void SetEthernetSwitch(bool checked) override;
  void UpdateModeCaptions();
  void UpdateLabels();

  // Ends the run as the exit button does, for a request from outside the
  // window (a termination signal, the window destroyed by another program, a
  // window manager's close): stops the running operation with ESC, closes the
  // dialogs open over the window, writes the results log and closes the
  // window. An operation that does not stop within RunEnd::kGrace is left
  // behind: the log is written and the process ends at once. Returns at once;
  // the rest happens in the event loop. A second request changes nothing.
  void EndRun();
  bool Ending() const { return runEnd_.has_value(); }

  // The controls, for the front end's tests and tools.
  QPushButton* Button(int focusIndex) const;
  QComboBox* PortSelector() const { return portSelector_; }
  QComboBox* CpuSelector() const { return cpuSelector_; }
  QCheckBox* EthernetSwitchBox() const { return ethernetSwitch_; }
  QLabel* StatusLine() const { return statusLine_; }
  QLabel* SoundLabel() const { return soundLabel_; }
  QLabel* VerifyLabel() const { return verifyLabel_; }
  rz::gui::JournalView* JournalView() const { return journalView_; }
  // Focus index (1..kButtons) of the button that has the keyboard focus, or 0.
  int FocusedButton() const;
  bool ParamsTimerActive() const { return paramsTimerId_ != 0; }

 public slots:
  // ENTER when no button takes it: raise the run request flag. Never closes.
  void accept() override;
  // ESC: raise the abort flag. Never closes.
  void reject() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void timerEvent(QTimerEvent* event) override;

 private:
  // Pixels the buttons need beyond their design width for their captions.
  int ButtonWidening(const DialogUnits& units) const;
  void CreateControls();
  void CreateButton(const rz::ControlRow& row);
  // The control of a role other than a button.
  QWidget* Control(rz::ControlRole role) const;
  void InitDialog();
  void FitSelectors();
  // Carries out what the model answers for a key; returns true when the key
  // is swallowed.
  bool HandleStationKey(rz::WindowKey key);
  // Gives the keyboard focus to a button (focus index; 0: none) by TAB.
  void TabTo(int focusIndex);
  // TAB (+1) or Shift+TAB (-1) from the focused button, wrapping at the ends.
  void TabFrom(int step);
  bool ButtonEnabled(int focusIndex) const;
  void RestartParamsTimer();
  // Scrolls the line asked for into view once the view knows of it.
  void ScrollWhenPublished();
  void OnButtonClicked(int focusIndex);
  void OnExit();
  // One step of EndRun, every few milliseconds until the window closes.
  void ContinueEnd();
  // The focus index follows a button that got the focus.
  void FollowFocus(QWidget* now);

  rz::Station& station_;
  QtStationUi& ui_;
  rz::StationWindowModel model_;
  JournalModel journal_;

  std::array<QPushButton*, kButtons + 1> buttons_{};  // [1..kButtons]
  rz::gui::JournalView* journalView_ = nullptr;
  QLabel* statusLine_ = nullptr;
  rz::StatusLineText statusText_;
  QGroupBox* selectorFrame_ = nullptr;
  QCheckBox* ethernetSwitch_ = nullptr;
  QComboBox* portSelector_ = nullptr;
  QComboBox* cpuSelector_ = nullptr;
  QLabel* soundLabel_ = nullptr;
  QLabel* verifyLabel_ = nullptr;

  bool initialised_ = false;
  bool closing_ = false;
  std::optional<rz::RunEnd> runEnd_;
  QTimer* endTimer_ = nullptr;
  int paramsTimerId_ = 0;
  // Journal line to scroll into view, or -1.
  int scrollTarget_ = -1;
};

}  // namespace rz::gui
