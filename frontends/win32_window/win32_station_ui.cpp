#include "win32_station_ui.h"

#include "dialogs/win32_dialogs.h"
#include "station_dlg.h"
#include "win32/win32_text.h"
#include "window_thread_call.h"

namespace rz::win32 {

void ShowErrorMessageBox(const rz::MessageBox& box, HWND owner) {
  std::string text = box.text;
  if (!box.details.empty()) text += "\n\n" + box.details;
  ::MessageBoxW(owner, Wide(text).c_str(), Wide(box.caption).c_str(), MB_OK | MB_ICONERROR);
}

StationPresenters::StationPresenters()
    : ipAddress(rz::win32::RunIpAddressDialog),
      byteCount(RunByteCountDialog),
      testParams(RunTestParamsDialog),
      openFile(rz::win32::AskOpenFile),
      saveFile(rz::win32::AskSaveFile),
      debugWindow(RunDebugWindow) {}

void Win32StationUi::WithWindow(const std::function<void(CStationDlg&)>& apply) {
  CStationDlg* window = window_.load();
  if (window == nullptr) return;
  RunOnWindowThread(window->Handle(), [&] {
    if (window_.load() == window) apply(*window);
  });
}

HWND Win32StationUi::Owner() const {
  CStationDlg* window = window_.load();
  return window != nullptr ? window->Handle() : nullptr;
}

void Win32StationUi::AddJournalLine(int mode, const std::string& text) {
  WithWindow([&](CStationDlg& w) { w.AddJournalLine(mode, text); });
}

void Win32StationUi::SetJournalLine(int line, const std::string& text) {
  WithWindow([&](CStationDlg& w) { w.SetJournalLine(line, text); });
}

void Win32StationUi::InsertJournalLine(int line, const std::string& text) {
  WithWindow([&](CStationDlg& w) { w.InsertJournalLine(line, text); });
}

void Win32StationUi::DeleteJournalLine(int line) {
  WithWindow([&](CStationDlg& w) { w.DeleteJournalLine(line); });
}

int Win32StationUi::JournalLineCount() {
  int count = 0;
  WithWindow([&](CStationDlg& w) { count = w.Journal().Count(); });
  return count;
}

std::string Win32StationUi::JournalLineText(int line) {
  std::string text;
  WithWindow([&](CStationDlg& w) { text = w.Journal().Text(line); });
  return text;
}

void Win32StationUi::SetStatusText(const std::string& text) {
  WithWindow([&](CStationDlg& w) { w.SetStatusText(text); });
}

void Win32StationUi::SetOperationControlsEnabled(bool enable) {
  WithWindow([&](CStationDlg& w) { w.SetOperationControlsEnabled(enable); });
}

void Win32StationUi::SetSelectorEnabled(rz::Selector selector, bool enable) {
  WithWindow([&](CStationDlg& w) { w.SetSelectorEnabled(selector, enable); });
}

void Win32StationUi::PostNextControlRequests(int count) {
  WithWindow([&](CStationDlg& w) { w.PostNextControlRequests(count); });
}

void Win32StationUi::FocusJournal() {
  WithWindow([](CStationDlg& w) { w.FocusJournal(); });
}

int Win32StationUi::SelectorIndex(rz::Selector selector) {
  int index = rz::kNoEntry;
  WithWindow([&](CStationDlg& w) { index = w.SelectorIndex(selector); });
  return index;
}

void Win32StationUi::SetSelectorIndex(rz::Selector selector, int index) {
  WithWindow([&](CStationDlg& w) { w.SetSelectorIndex(selector, index); });
}

bool Win32StationUi::EthernetSwitch() {
  bool checked = false;
  WithWindow([&](CStationDlg& w) { checked = w.EthernetSwitch(); });
  return checked;
}

void Win32StationUi::SetEthernetSwitch(bool checked) {
  WithWindow([&](CStationDlg& w) { w.SetEthernetSwitch(checked); });
}

void Win32StationUi::ShowError(const rz::MessageBox& box) {
  const HWND window = Owner();
  if (window == nullptr) {
    presenters.error(box, nullptr);
    return;
  }
  RunOnWindowThread(window, [&] { presenters.error(box, box.ownedByWindow ? window : nullptr); });
}

rz::Outcome Win32StationUi::RunDebugConsole(rz::Station& station, const rz::DebugRequest*) {
  const HWND window = Owner();
  RunOnWindowThread(window, [&] { presenters.debugWindow(window, station); });
  return rz::Outcome::Success;
}

std::optional<std::string> Win32StationUi::AskOpenFile(const std::string& folder) {
  std::optional<std::string> chosen;
  const HWND window = Owner();
  RunOnWindowThread(window, [&] { chosen = presenters.openFile(window, folder); });
  return chosen;
}

std::optional<std::string> Win32StationUi::AskSaveFile(const std::string& folder) {
  std::optional<std::string> chosen;
  const HWND window = Owner();
  RunOnWindowThread(window, [&] { chosen = presenters.saveFile(window, folder); });
  return chosen;
}

std::uint32_t Win32StationUi::AskByteCount() {
  std::uint32_t count = 0;
  const HWND window = Owner();
  RunOnWindowThread(window, [&] { count = presenters.byteCount(window); });
  return count;
}

std::optional<std::string> Win32StationUi::RunIpAddressDialog(const std::string& shown) {
  std::optional<std::string> entered;
  const HWND window = Owner();
  RunOnWindowThread(window, [&] { entered = presenters.ipAddress(window, shown); });
  return entered;
}

}  // namespace rz::win32
