#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace rz {
class Station;
struct ExtComParams;
}  // namespace rz

namespace rz::win32 {

// The modal dialogs of the native window, each run on the window's thread over
// `owner` and returning when the operator has closed it. Texts are UTF-8.

// CIpAddressDlg showing `shown`: the text entered with ENTER, or nothing after ESC.
std::optional<std::string> RunIpAddressDialog(HWND owner, const std::string& shown);

// CSerialNumberDlg, its edit box focused for a scanner: the number confirmed
// with ENTER without its leading and trailing spaces, or nothing after ESC or
// for an empty text.
std::optional<std::string> RunSerialNumberDialog(HWND owner);

// CByteCountDlg: the count confirmed with ENTER (its leading digits, 0 without
// any), or 0 after ESC.
std::uint32_t RunByteCountDialog(HWND owner);

// CTestParamsDlg opened on `params`: OK stores the dialog's choice in
// `params`, Cancel leaves them as they were.
void RunTestParamsDialog(HWND owner, ExtComParams& params);

// The standard open and save dialogs: one filter "(*.*)", starting in
// `folder`; the chosen file's full path, or nothing when cancelled. The save
// dialog asks before it overwrites a file.
std::optional<std::string> AskOpenFile(HWND owner, const std::string& folder);
std::optional<std::string> AskSaveFile(HWND owner, const std::string& folder);

// CDebugDlg, modal over `owner`, until the operator leaves it.
void RunDebugWindow(HWND owner, Station& station);

}  // namespace rz::win32
