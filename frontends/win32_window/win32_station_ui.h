#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "app/station_ui.h"

namespace rz {
struct ExtComParams;
}

namespace rz::win32 {

class CStationDlg;

// The message box of ShowError: MessageBoxW with the error icon, over `owner`
// (nullptr: no owner). What the system said of the failure follows the text
// after an empty line.
void ShowErrorMessageBox(const rz::MessageBox& box, HWND owner);

// The modal windows the main window opens, each run on the window's thread
// over `owner`. They default to the real ones (message box, dialogs, debug
// window); a test replaces one with a recorder or a scripted answer.
struct StationPresenters {
  std::function<void(const rz::MessageBox& box, HWND owner)> error = ShowErrorMessageBox;
  std::function<std::optional<std::string>(HWND owner, const std::string& shown)> ipAddress;
  std::function<std::uint32_t(HWND owner)> byteCount;
  std::function<void(HWND owner, rz::ExtComParams& params)> testParams;
  std::function<std::optional<std::string>(HWND owner, const std::string& folder)> openFile;
  std::function<std::optional<std::string>(HWND owner, const std::string& folder)> saveFile;
  std::function<void(HWND owner, rz::Station& station)> debugWindow;

  // The real dialogs of the native window.
  StationPresenters();
};

// The window operations of the station over the native main window. Every
// call may come from a worker thread: it runs on the window's thread and
// returns once applied (directly when already there). Before a window is
// attached, and after it has gone, the journal and control operations do
// nothing and the reads return empty values; message boxes are still shown,
// without an owner, on the calling thread.
class Win32StationUi final : public rz::StationUi {
 public:
  // Window thread only, before any operation starts and after the last one.
  void Attach(CStationDlg* window) { window_.store(window); }
  StationPresenters presenters;

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

  // Runs the debug window modally over the main window (the request is for
  // the command line and is not used here).
  rz::Outcome RunDebugConsole(rz::Station& station, const rz::DebugRequest* request) override;
  std::optional<std::string> AskOpenFile(const std::string& folder) override;
  std::optional<std::string> AskSaveFile(const std::string& folder) override;
  std::uint32_t AskByteCount() override;
  std::optional<std::string> RunIpAddressDialog(const std::string& shown) override;

 private:
  // Runs `apply(window)` on the window's thread when a window is attached.
  void WithWindow(const std::function<void(CStationDlg&)>& apply);
  // The attached window's handle, or nullptr.
  HWND Owner() const;

  std::atomic<CStationDlg*> window_{nullptr};
};

}  // namespace rz::win32
