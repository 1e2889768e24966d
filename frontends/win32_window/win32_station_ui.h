#pragma once

#include "windows_api.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "app/window_thread_ui.h"

namespace rz {
struct ExtComParams;
}

namespace rz::win32 {

class CStationDlg;

// The message box of ShowError: MessageBoxW with the error icon, over `owner`
// (nullptr: no owner, and then in the foreground). What the system said of
// the failure follows the text after an empty line.
void ShowErrorMessageBox(const rz::MessageBox& box, HWND owner);

// The modal windows the main window opens, each run on the window's thread
// over `owner`. They default to the real ones (message box, dialogs, debug
// window); a test replaces one with a recorder or a scripted answer.
struct StationPresenters {
  std::function<void(const rz::MessageBox& box, HWND owner)> error = ShowErrorMessageBox;
  std::function<std::optional<std::string>(HWND owner, const std::string& shown)> ipAddress;
  std::function<std::optional<std::string>(HWND owner)> serialNumber;
  std::function<std::uint32_t(HWND owner)> byteCount;
  std::function<void(HWND owner, rz::ExtComParams& params)> testParams;
  std::function<std::optional<std::string>(HWND owner, const std::string& folder)> openFile;
  std::function<std::optional<std::string>(HWND owner, const std::string& folder)> saveFile;
  std::function<void(HWND owner, rz::Station& station)> debugWindow;

  // The real dialogs of the native window.
  StationPresenters();
};

// The window operations of the station over the native main window: the
// core's WindowThreadUi, whose calls run on the window's thread through
// RunOnWindowThread (directly when already there), with the presenters as its
// dialogs. Before a window is attached, and after it has gone, the journal and
// control operations do nothing and the reads return empty values; message
// boxes are still shown, without an owner, on the calling thread.
class Win32StationUi final : public rz::WindowThreadUi, private rz::StationDialogs {
 public:
  Win32StationUi();

  // Window thread only, before any operation starts and after the last one.
  void Attach(CStationDlg* window);
  StationPresenters presenters;

 private:
  // The presenters over the attached window, on its thread.
  void PresentError(const rz::MessageBox& box, bool overWindow) override;
  void PresentDebugConsole(rz::Station& station) override;
  std::optional<std::string> PresentOpenFile(const std::string& folder) override;
  std::optional<std::string> PresentSaveFile(const std::string& folder) override;
  std::uint32_t PresentByteCount() override;
  std::optional<std::string> PresentIpAddress(const std::string& shown) override;
  std::optional<std::string> PresentSerialNumber() override;

  // The attached window's handle, or nullptr.
  HWND Owner() const;

  std::atomic<CStationDlg*> window_{nullptr};
};

}  // namespace rz::win32
