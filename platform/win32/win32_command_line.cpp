#include "win32/win32_command_line.h"

#include <windows.h>

#include <shellapi.h>

#include <cwchar>

#include "win32/win32_text.h"

namespace rz::win32 {

bool CommandLineArguments(std::vector<std::string>& args) {
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide == nullptr) return false;
  args.clear();
  for (int i = 1; i < count; ++i) args.push_back(Utf8(wide[i], std::wcslen(wide[i])));
  ::LocalFree(wide);
  return true;
}

}  // namespace rz::win32
