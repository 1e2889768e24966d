#include "app/window_thread_ui.h"

namespace rz {

void WindowThreadUi::WithWindow(const std::function<void(StationWindow&)>& apply) {
  run_([&] {
    if (StationWindow* window = window_.load()) apply(*window);
  });
}

template <typename T, typename Apply>
T WindowThreadUi::OnWindowThread(Apply&& apply) {
  T result{};
  run_([&] { result = apply(); });
  return result;
}

void WindowThreadUi::AddJournalLine(int mode, const std::string& text) {
  WithWindow([&](StationWindow& w) { w.AddJournalLine(mode, text); });
}

void WindowThreadUi::SetJournalLine(int line, const std::string& text) {
  WithWindow([&](StationWindow& w) { w.SetJournalLine(line, text); });
}

void WindowThreadUi::InsertJournalLine(int line, const std::string& text) {
  WithWindow([&](StationWindow& w) { w.InsertJournalLine(line, text); });
}

void WindowThreadUi::DeleteJournalLine(int line) {
  WithWindow([&](StationWindow& w) { w.DeleteJournalLine(line); });
}

int WindowThreadUi::JournalLineCount() {
  int count = 0;
  WithWindow([&](StationWindow& w) { count = w.JournalLineCount(); });
  return count;
}

std::string WindowThreadUi::JournalLineText(int line) {
  std::string text;
  WithWindow([&](StationWindow& w) { text = w.JournalLineText(line); });
  return text;
}

void WindowThreadUi::SetStatusText(const std::string& text) {
  WithWindow([&](StationWindow& w) { w.SetStatusText(text); });
}

void WindowThreadUi::SetOperationControlsEnabled(bool enable) {
  WithWindow([&](StationWindow& w) { w.SetOperationControlsEnabled(enable); });
}

void WindowThreadUi::SetSelectorEnabled(Selector selector, bool enable) {
  WithWindow([&](StationWindow& w) { w.SetSelectorEnabled(selector, enable); });
}

void WindowThreadUi::PostNextControlRequests(int count) {
  WithWindow([&](StationWindow& w) { w.PostNextControlRequests(count); });
}

void WindowThreadUi::FocusJournal() {
  WithWindow([](StationWindow& w) { w.FocusJournal(); });
}

int WindowThreadUi::SelectorIndex(Selector selector) {
  int index = kNoEntry;
  WithWindow([&](StationWindow& w) { index = w.SelectorIndex(selector); });
  return index;
}

void WindowThreadUi::SetSelectorIndex(Selector selector, int index) {
  WithWindow([&](StationWindow& w) { w.SetSelectorIndex(selector, index); });
}

bool WindowThreadUi::EthernetSwitch() {
  bool checked = false;
  WithWindow([&](StationWindow& w) { checked = w.EthernetSwitch(); });
  return checked;
}

void WindowThreadUi::SetEthernetSwitch(bool checked) {
  WithWindow([&](StationWindow& w) { w.SetEthernetSwitch(checked); });
}

void WindowThreadUi::ShowError(const MessageBox& box) {
  if (!run_([&] { dialogs_.PresentError(box, box.ownedByWindow); })) dialogs_.PresentError(box, false);
}

Outcome WindowThreadUi::RunDebugConsole(Station& station, const DebugRequest*) {
  run_([&] { dialogs_.PresentDebugConsole(station); });
  return Outcome::Success;
}

std::optional<std::string> WindowThreadUi::AskOpenFile(const std::string& folder) {
  return OnWindowThread<std::optional<std::string>>([&] { return dialogs_.PresentOpenFile(folder); });
}

std::optional<std::string> WindowThreadUi::AskSaveFile(const std::string& folder) {
  return OnWindowThread<std::optional<std::string>>([&] { return dialogs_.PresentSaveFile(folder); });
}

std::uint32_t WindowThreadUi::AskByteCount() {
  return OnWindowThread<std::uint32_t>([&] { return dialogs_.PresentByteCount(); });
}

std::optional<std::string> WindowThreadUi::RunIpAddressDialog(const std::string& shown) {
  return OnWindowThread<std::optional<std::string>>([&] { return dialogs_.PresentIpAddress(shown); });
}

std::optional<std::string> WindowThreadUi::AskSerialNumber() {
  return OnWindowThread<std::optional<std::string>>([&] { return dialogs_.PresentSerialNumber(); });
}

}  // namespace rz
