#include "qt_station_ui.h"

#include <QMessageBox>

#include <functional>

#include "ip_address_dlg.h"
#include "station_dlg.h"

namespace rz::gui {

void ShowCriticalMessageBox(const rz::MessageBox& box, QWidget* owner) {
  QMessageBox message(QMessageBox::Critical, QString::fromStdString(box.caption),
                      QString::fromStdString(box.text), QMessageBox::Ok, owner);
  if (!box.details.empty()) message.setInformativeText(QString::fromStdString(box.details));
  message.exec();
}

QtStationUi::QtStationUi(QObject* parent)
    : QObject(parent), presenter_(ShowCriticalMessageBox), ipPresenter_(RunIpAddressDialogModal) {}

QtStationUi::~QtStationUi() = default;

void QtStationUi::Attach(CStationDlg* window) { window_ = window; }

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

std::optional<std::string> QtStationUi::RunIpAddressDialog(const std::string& shown) {
  std::optional<std::string> entered;
  OnGuiThread([&] { entered = ipPresenter_(shown, window_.data()); });
  return entered;
}

}  // namespace rz::gui
