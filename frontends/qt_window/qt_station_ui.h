#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>
#include <string>

#include "app/window_thread_ui.h"
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
// Runs the serial-number dialog over `owner`: the number confirmed with ENTER,
// or nothing. The real one is RunSerialNumberDialogModal.
using SerialNumberPresenter = std::function<std::optional<std::string>(QWidget* owner)>;

// The window operations of the station over the Qt main window: the core's
// WindowThreadUi, whose calls run on the GUI thread through GuiThreadCalls
// (directly when already there), with the Qt dialogs. Before a window is
// attached, and after it has gone, the journal and control operations do
// nothing and the reads return empty values; message boxes are still shown,
// without an owner.
//
// Create it on the GUI thread and keep it alive longer than the rz::Station
// that refers to it.
class QtStationUi final : public QObject, public rz::WindowThreadUi, private rz::StationDialogs {
  Q_OBJECT

 public:
  explicit QtStationUi(QObject* parent = nullptr);
  ~QtStationUi() override;

  // GUI thread only.
  void Attach(CStationDlg* window);
  void SetMessagePresenter(MessagePresenter presenter);
  void SetDialogRunner(DialogRunner runner);
  void SetIpAddressPresenter(IpAddressPresenter presenter);
  void SetSerialNumberPresenter(SerialNumberPresenter presenter);
  // The process is ending without returning to the event loop: calls from
  // workers return at once from now on (see GuiThreadCalls::Abandon).
  void AbandonWorkerCalls() { calls_.Abandon(); }
  // Called with each debug console before it runs (tests set its presenter).
  void SetDebugConsoleHook(std::function<void(CDebugDlg&)> hook) { debugConsoleHook_ = std::move(hook); }

 private:
  // The dialogs over the main window, on the GUI thread.
  void PresentError(const rz::MessageBox& box, bool overWindow) override;
  void PresentDebugConsole(rz::Station& station) override;
  std::optional<std::string> PresentOpenFile(const std::string& folder) override;
  std::optional<std::string> PresentSaveFile(const std::string& folder) override;
  std::uint32_t PresentByteCount() override;
  std::optional<std::string> PresentIpAddress(const std::string& shown) override;
  std::optional<std::string> PresentSerialNumber() override;

  GuiThreadCalls calls_;
  QPointer<CStationDlg> window_;  // the dialogs' owner; touched on the GUI thread only
  MessagePresenter presenter_;
  std::function<void(CDebugDlg&)> debugConsoleHook_;
  DialogRunner dialogRunner_;
  IpAddressPresenter ipPresenter_;
  SerialNumberPresenter serialPresenter_;
};

}  // namespace rz::gui
