#include "qt_station_ui.h"

#include <QFileDialog>
#include <QMessageBox>

#include <functional>

#include "byte_count_dlg.h"
#include "caption_fit.h"
#include "debug_dlg.h"
#include "ip_address_dlg.h"
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
      presenter_(ShowCriticalMessageBox),
      dialogRunner_(ExecDialog),
      ipPresenter_(RunIpAddressDialogModal) {}

QtStationUi::~QtStationUi() = default;

void QtStationUi::Attach(CStationDlg* window) { window_ = window; }

void QtStationUi::SetDialogRunner(DialogRunner runner) {
  dialogRunner_ = runner ? std::move(runner) : DialogRunner(ExecDialog);
}

void QtStationUi::SetMessagePresenter(MessagePresenter presenter) {
  presenter_ = presenter ? std::move(presenter) : MessagePresenter(ShowCriticalMessageBox);
}

void QtStationUi::SetIpAddressPresenter(IpAddressPresenter presenter) {
  ipPresenter_ = presenter ? std::move(presenter) : IpAddressPresenter(RunIpAddressDialogModal);
}

template <typename Apply>
void QtStationUi::OnGuiThread(Apply&& apply) {
  // The worker waits here while the GUI thread applies the change. The GUI
  // thread never waits for a worker, so this cannot deadlock.
  calls_.Run(std::function<void()>(std::ref(apply)));
}

template <typename Apply>
void QtStationUi::WithWindow(Apply&& apply) {
  OnGuiThread([this, &apply] {
    if (CStationDlg* window = window_.data()) apply(*window);
  });
}

void QtStationUi::AddJournalLine(int mode, const std::string& text) {
  WithWindow([&](CStationDlg& w) { w.AddJournalLine(mode, text); });
}

void QtStationUi::SetJournalLine(int line, const std::string& text) {
  WithWindow([&](CStationDlg& w) { w.SetJournalLine(line, text); });
}

void QtStationUi::InsertJournalLine(int line, const std::string& text) {
  WithWindow([&](CStationDlg& w) { w.InsertJournalLine(line, text); });
}

void QtStationUi::DeleteJournalLine(int line) {
  WithWindow([&](CStationDlg& w) { w.DeleteJournalLine(line); });
}

int QtStationUi::JournalLineCount() {
  int count = 0;
  WithWindow([&](CStationDlg& w) { count = w.Journal().Count(); });
  return count;
}

std::string QtStationUi::JournalLineText(int line) {
  std::string text;
  WithWindow([&](CStationDlg& w) { text = w.Journal().Text(line); });
  return text;
}

void QtStationUi::SetStatusText(const std::string& text) {
  WithWindow([&](CStationDlg& w) { w.SetStatusText(QString::fromStdString(text)); });
}

void QtStationUi::SetOperationControlsEnabled(bool enable) {
  WithWindow([&](CStationDlg& w) { w.SetOperationControlsEnabled(enable); });
}

void QtStationUi::SetSelectorEnabled(rz::Selector selector, bool enable) {
  WithWindow([&](CStationDlg& w) { w.SetSelectorEnabled(selector, enable); });
}

void QtStationUi::PostNextControlRequests(int count) {
  WithWindow([&](CStationDlg& w) { w.PostNextControlRequests(count); });
}

void QtStationUi::FocusJournal() {
  WithWindow([](CStationDlg& w) { w.FocusJournal(); });
}

int QtStationUi::SelectorIndex(rz::Selector selector) {
  int index = rz::kNoEntry;
  WithWindow([&](CStationDlg& w) { index = w.SelectorIndex(selector); });
  return index;
}

void QtStationUi::SetSelectorIndex(rz::Selector selector, int index) {
  WithWindow([&](CStationDlg& w) { w.SetSelectorIndex(selector, index); });
}

bool QtStationUi::EthernetSwitch() {
  bool checked = false;
  WithWindow([&](CStationDlg& w) { checked = w.EthernetSwitch(); });
  return checked;
}

void QtStationUi::SetEthernetSwitch(bool checked) {
  WithWindow([&](CStationDlg& w) { w.SetEthernetSwitch(checked); });
}

void QtStationUi::ShowError(const rz::MessageBox& box) {
  OnGuiThread([&] {
    QWidget* owner = box.ownedByWindow ? window_.data() : nullptr;
    presenter_(box, owner);
  });
}

rz::Outcome QtStationUi::RunDebugConsole(rz::Station& station, const rz::DebugRequest*) {
  OnGuiThread([&] {
    CDebugDlg console(station, window_.data());
    if (debugConsoleHook_) debugConsoleHook_(console);
    console.exec();
  });
  return rz::Outcome::Success;
}

}  // namespace rz::gui

namespace rz::gui {

std::optional<std::string> QtStationUi::AskOpenFile(const std::string& folder) {
  std::optional<std::string> chosen;
  OnGuiThread([&] {
    const auto dialog = MakeOpenFileDialog(window_.data(), QString::fromStdString(folder));
    chosen = ChosenFile(dialogRunner_(*dialog), *dialog);
  });
  return chosen;
}

std::optional<std::string> QtStationUi::AskSaveFile(const std::string& folder) {
  std::optional<std::string> chosen;
  OnGuiThread([&] {
    const auto dialog = MakeSaveFileDialog(window_.data(), QString::fromStdString(folder));
    chosen = ChosenFile(dialogRunner_(*dialog), *dialog);
  });
  return chosen;
}

std::uint32_t QtStationUi::AskByteCount() {
  std::uint32_t count = 0;
  OnGuiThread([&] {
    CByteCountDlg dialog(window_.data());
    dialogRunner_(dialog);
    count = dialog.Count();
  });
  return count;
}

std::optional<std::string> QtStationUi::RunIpAddressDialog(const std::string& shown) {
  std::optional<std::string> entered;
  OnGuiThread([&] { entered = ipPresenter_(shown, window_.data()); });
  return entered;
}

}  // namespace rz::gui
