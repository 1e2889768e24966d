#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>
#include <string>

#include "app/station_ui.h"
#include "gui_thread_calls.h"

class QDialog;
class QWidget;

namespace rz::gui {

class CStationDlg;
class CDebugDlg;

// Shows an error message box and returns when it has been closed. `owner` is the
// main window, or nullptr for the start-up messages that have no owner.
using MessagePresenter = std::function<void(const rz::MessageBox& box, QWidget* owner)>;

// The real presenter: a QMessageBox with the critical icon and an OK button.
void ShowCriticalMessageBox(const rz::MessageBox& box, QWidget* owner);

// Runs one of the transfer buttons' dialogs (a file dialog or CByteCountDlg)
// modally and returns its result code; the real one calls exec(). Tests put in
// one that fills the dialog in and closes it.
using DialogRunner = std::function<int(QDialog& dialog)>;
// Runs the IP-address dialog showing `shown` over `owner`: the entered text,
// or nothing after ESC. The real one is RunIpAddressDialogModal.
using IpAddressPresenter = std::function<std::optional<std::string>(const std::string& shown, QWidget* owner)>;

// The window operations of the station over the Qt main window. Every call may
// come from a worker thread: it is carried out on the GUI thread and returns
// once applied (a direct call when already on the GUI thread; see
// GuiThreadCalls). Before a window is attached, and after it has gone, the
// journal and control operations do nothing and the reads return empty values;
// message boxes are still shown, without an owner.
//
// Create it on the GUI thread and keep it alive longer than the rz::Station
// that refers to it.
class QtStationUi final : public QObject, public rz::StationUi {
  Q_OBJECT

 public:
  explicit QtStationUi(QObject* parent = nullptr);
  ~QtStationUi() override;

  // GUI thread only.
  void Attach(CStationDlg* window);
  void SetMessagePresenter(MessagePresenter presenter);
  void SetDialogRunner(DialogRunner runner);
  void SetIpAddressPresenter(IpAddressPresenter presenter);
  // The process is ending without returning to the event loop: calls from
  // workers return at once from now on (see GuiThreadCalls::Abandon).
  void AbandonWorkerCalls() { calls_.Abandon(); }

  void AddJournalLine(int mode, const std::string& text) override;
  void SetJournalLine(int line, const std::string& text) override;
  void InsertJournalLine(int line, const std::string& text) override;
  void DeleteJournalLine(int line) override;
  int JournalLineCount() override;
  std::string JournalLineText(int line) override;

  void SetStatusText(const std::string& text) override;

  void SetOperationControlsEnabled(bool enable) override;
  void SetSelectorEnabled(rz::Selector selector, bool enable) override;
  void PostNextControlRequests(int count) override;
  void FocusJournal() override;

  int SelectorIndex(rz::Selector selector) override;
  void SetSelectorIndex(rz::Selector selector, int index) override;

  bool EthernetSwitch() override;
  void SetEthernetSwitch(bool checked) override;

  void ShowError(const rz::MessageBox& box) override;
  std::optional<std::string> RunIpAddressDialog(const std::string& shown) override;

  // Runs the debug console modally over the main window (the request is for
  // the command line and is not used here).
  rz::Outcome RunDebugConsole(rz::Station& station, const rz::DebugRequest* request) override;
  // Called with each debug console before it runs (tests set its presenter).
  void SetDebugConsoleHook(std::function<void(CDebugDlg&)> hook) { debugConsoleHook_ = std::move(hook); }
  std::optional<std::string> AskOpenFile(const std::string& folder) override;
  std::optional<std::string> AskSaveFile(const std::string& folder) override;
  std::uint32_t AskByteCount() override;

 private:
  // Runs `apply` on the GUI thread and returns after it has run.
  template <typename Apply>
  void OnGuiThread(Apply&& apply);
  // Runs `apply(window)` on the GUI thread when a window is attached.
  template <typename Apply>
  void WithWindow(Apply&& apply);

  GuiThreadCalls calls_;
  QPointer<CStationDlg> window_;  // touched on the GUI thread only
  MessagePresenter presenter_;
  std::function<void(CDebugDlg&)> debugConsoleHook_;
  DialogRunner dialogRunner_;
  IpAddressPresenter ipPresenter_;
};

}  // namespace rz::gui
