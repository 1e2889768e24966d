#include "qt_station_ui.h"

#include <QFileDialog>
#include <QMessageBox>

#include <functional>

#include "byte_count_dlg.h"
#include "caption_fit.h"
#include "debug_dlg.h"
#include "ip_address_dlg.h"
#include "serial_number_dlg.h"
#include "station_dlg.h"
#include "transfer_dialogs.h"

namespace rz::gui {

void ShowCriticalMessageBox(const rz::MessageBox& box, QWidget* owner) {
  QMessageBox message(QMessageBox::Critical, QString::fromStdString(box.caption),
                      QString::fromStdString(box.text), QMessageBox::Ok, owner);
  if (!box.details.empty()) message.setInformativeText(QString::fromStdString(box.details));
  FitToCaption(message);
  message.exec();
}

namespace {

int ExecDialog(QDialog& dialog) { return dialog.exec(); }

// The chosen file of a closed file dialog, or nothing when it was cancelled.
std::optional<std::string> ChosenFile(int result, const QFileDialog& dialog) {
  if (result != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front().toStdString();
}

}  // namespace

QtStationUi::QtStationUi(QObject* parent)
    : QObject(parent),
      rz::WindowThreadUi(
          [this](const std::function<void()>& call) {
            // The worker waits here while the GUI thread applies the change.
            // The GUI thread never waits for a worker, so this cannot deadlock.
            calls_.Run(call);
            return true;
          },
          *this),
      presenter_(ShowCriticalMessageBox),
      dialogRunner_(ExecDialog),
      ipPresenter_(RunIpAddressDialogModal),
      serialPresenter_(RunSerialNumberDialogModal) {}

QtStationUi::~QtStationUi() = default;

void QtStationUi::Attach(CStationDlg* window) {
  window_ = window;
  rz::WindowThreadUi::Attach(window);
}

void QtStationUi::SetDialogRunner(DialogRunner runner) {
  dialogRunner_ = runner ? std::move(runner) : DialogRunner(ExecDialog);
}

void QtStationUi::SetMessagePresenter(MessagePresenter presenter) {
  presenter_ = presenter ? std::move(presenter) : MessagePresenter(ShowCriticalMessageBox);
}

void QtStationUi::SetIpAddressPresenter(IpAddressPresenter presenter) {
  ipPresenter_ = presenter ? std::move(presenter) : IpAddressPresenter(RunIpAddressDialogModal);
}

void QtStationUi::SetSerialNumberPresenter(SerialNumberPresenter presenter) {
  serialPresenter_ = presenter ? std::move(presenter) : SerialNumberPresenter(RunSerialNumberDialogModal);
}

void QtStationUi::PresentError(const rz::MessageBox& box, bool overWindow) {
  presenter_(box, overWindow ? window_.data() : nullptr);
}

void QtStationUi::PresentDebugConsole(rz::Station& station) {
  CDebugDlg console(station, window_.data());
  if (debugConsoleHook_) debugConsoleHook_(console);
  console.exec();
}

std::optional<std::string> QtStationUi::PresentOpenFile(const std::string& folder) {
  const auto dialog = MakeOpenFileDialog(window_.data(), QString::fromStdString(folder));
  return ChosenFile(dialogRunner_(*dialog), *dialog);
}

std::optional<std::string> QtStationUi::PresentSaveFile(const std::string& folder) {
  const auto dialog = MakeSaveFileDialog(window_.data(), QString::fromStdString(folder));
  return ChosenFile(dialogRunner_(*dialog), *dialog);
}

std::uint32_t QtStationUi::PresentByteCount() {
  CByteCountDlg dialog(window_.data());
  dialogRunner_(dialog);
  return dialog.Count();
}

std::optional<std::string> QtStationUi::PresentIpAddress(const std::string& shown) {
  return ipPresenter_(shown, window_.data());
}

std::optional<std::string> QtStationUi::PresentSerialNumber() { return serialPresenter_(window_.data()); }

}  // namespace rz::gui
