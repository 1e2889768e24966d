// Stand-ins for the native dialogs until they are built: every dialog answers
// as if the operator had cancelled it.

#include "dialogs/win32_dialogs.h"

namespace rz::win32 {

std::optional<std::string> RunIpAddressDialog(HWND, const std::string&) { return std::nullopt; }
std::uint32_t RunByteCountDialog(HWND) { return 0; }
void RunTestParamsDialog(HWND, ExtComParams&) {}
std::optional<std::string> AskOpenFile(HWND, const std::string&) { return std::nullopt; }
std::optional<std::string> AskSaveFile(HWND, const std::string&) { return std::nullopt; }
void RunDebugWindow(HWND, Station&) {}

}  // namespace rz::win32
