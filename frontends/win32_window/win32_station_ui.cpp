#include "win32_station_ui.h"

#include "dialogs/win32_dialogs.h"
#include "station_dlg.h"
#include "win32/win32_text.h"
#include "window_thread_call.h"

namespace rz::win32 {

void ShowErrorMessageBox(const rz::MessageBox& box, HWND owner) {
  std::string text = box.text;
  if (!box.details.empty()) text += "\n\n" + box.details;
  // A box without an owner comes at start-up, before the window: it takes
  // the foreground itself.
  ::MessageBoxW(owner, Wide(text).c_str(), Wide(box.caption).c_str(),
                MB_OK | MB_ICONERROR | (owner == nullptr ? MB_SETFOREGROUND : 0));
}

StationPresenters::StationPresenters()
    : ipAddress(rz::win32::RunIpAddressDialog),
      serialNumber(RunSerialNumberDialog),
      byteCount(RunByteCountDialog),
      testParams(RunTestParamsDialog),
      openFile(rz::win32::AskOpenFile),
      saveFile(rz::win32::AskSaveFile),
      debugWindow(RunDebugWindow) {}

Win32StationUi::Win32StationUi()
    : rz::WindowThreadUi([this](const std::function<void()>& call) { return RunOnWindowThread(Owner(), call); },
                         *this) {}

void Win32StationUi::Attach(CStationDlg* window) {
  window_.store(window);
  rz::WindowThreadUi::Attach(window);
}

HWND Win32StationUi::Owner() const {
  CStationDlg* window = window_.load();
  return window != nullptr ? window->Handle() : nullptr;
}

void Win32StationUi::PresentError(const rz::MessageBox& box, bool overWindow) {
  presenters.error(box, overWindow ? Owner() : nullptr);
}

void Win32StationUi::PresentDebugConsole(rz::Station& station) { presenters.debugWindow(Owner(), station); }

std::optional<std::string> Win32StationUi::PresentOpenFile(const std::string& folder) {
  return presenters.openFile(Owner(), folder);
}

std::optional<std::string> Win32StationUi::PresentSaveFile(const std::string& folder) {
  return presenters.saveFile(Owner(), folder);
}

std::uint32_t Win32StationUi::PresentByteCount() { return presenters.byteCount(Owner()); }

std::optional<std::string> Win32StationUi::PresentIpAddress(const std::string& shown) {
  return presenters.ipAddress(Owner(), shown);
}

std::optional<std::string> Win32StationUi::PresentSerialNumber() { return presenters.serialNumber(Owner()); }

}  // namespace rz::win32
