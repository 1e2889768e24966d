#pragma once

#include <QDialog>
#include <QString>

#include <array>
#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "debug/debug_console.h"
#include "debug/debug_ui.h"
#include "debug/debug_window_model.h"
#include "gui_thread_calls.h"
#include "journal_model.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace rz {
class Station;
}

namespace rz::gui {

class JournalView;

// Shows a help text in a message box owned by `owner` (OK button, no icon).
using HelpPresenter = std::function<void(const QString& caption, const QString& text, QWidget* owner)>;
void ShowHelpMessageBox(const QString& caption, const QString& text, QWidget* owner);

// The debug console: five target buttons and "Выход" (the only tab stops
// outside target mode), the operation, address and data fields, its own
// journal and a status line whose click shows the target's help. A target
// button starts that target's thread, which keeps the window in target mode
// until ESC while editing. ENTER raises the run request flag and ESC the
// abort flag; the window closes only through "Выход", which target mode
// disables. The journal is the window's alone and never reaches the results
// log.
//
// The DebugUi operations may be called from the target thread: they are
// carried out on the GUI thread (the focus requests are posted).
class CDebugDlg final : public QDialog, public rz::DebugUi {
  Q_OBJECT

 public:
  explicit CDebugDlg(rz::Station& station, QWidget* parent = nullptr);
  ~CDebugDlg() override;

  void SetHelpPresenter(HelpPresenter presenter);

  // DebugUi.
  void AddDebugLine(int mode, const std::string& text) override;
  void SetDebugStatus(const std::string& text) override;
  void RestoreDebugFocus(std::uint8_t count) override;
  void EnableTargetButtons(bool enable) override;
  void EnableFields(bool operation, bool address, bool dataField) override;
  void ClearFields(bool operation, bool address, bool dataField) override;
  void RequestOperationFocus() override;
  void RequestJournalFocus() override;
  void SetFieldLimits(const rz::FieldLimits& limits) override;
  std::string ReadField(rz::DebugField field, int limit) override;

  // The controls and state, for tests and tools (GUI thread).
  QPushButton* Button(int number) const;  // 1..5 targets, 6 "Выход"
  QLineEdit* Field(rz::DebugField field) const;
  QLabel* StatusLine() const { return statusLine_; }
  JournalModel& Journal() { return journal_; }
  rz::DebugConsoleState& State() { return state_; }
  // Button number (1..6) with the keyboard focus, or 0.
  int FocusedButton() const;

 public slots:
  void accept() override;
  void reject() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void CreateControls();
  // Hands the key to the model and carries out its answer; returns true when
  // the key is swallowed.
  bool FilterKey(QKeyEvent& event);
  // The arrow keys' move to the neighbouring button (`step` +1 or -1), when a
  // button has the focus.
  void ArrowStep(int step);
  void OnFieldFocus(QObject* field);
  void OnTargetButton(int number);
  void OnExit();
  void ShowHelp();
  // The next-tab-stop request: the next enabled button or field after the
  // focused one, from anywhere else the first.
  void NextTabStop();
  void Beep();
  template <typename Apply>
  void OnGuiThread(Apply&& apply);

  rz::Station& station_;
  rz::DebugConsoleState state_;
  rz::DebugWindowModel model_;
  rz::DebugContext context_;
  GuiThreadCalls calls_;
  JournalModel journal_;
  HelpPresenter presenter_;

  std::array<QPushButton*, rz::kDebugButtons + 1> buttons_{};  // [1..6]
  std::array<QLineEdit*, 3> fields_{};
  JournalView* journalView_ = nullptr;
  QLabel* statusLine_ = nullptr;

  std::thread target_;
  std::atomic<bool> targetRunning_{false};
  bool closing_ = false;
};

}  // namespace rz::gui
