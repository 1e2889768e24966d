#include "win32/win32_text.h"

#include <windows.h>

namespace rz::win32 {

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
  return wide;
}

std::string Utf8(const wchar_t* wide, std::size_t length) {
  if (length == 0) return {};
  const int size =
      ::WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), utf8.data(), size, nullptr, nullptr);
  return utf8;
}

std::string Utf8(const std::wstring& wide) { return Utf8(wide.data(), wide.size()); }

std::string SystemReason(unsigned long error) {
  wchar_t* text = nullptr;
  const auto format = [&](DWORD language) {
    return ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
        language, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  };
  // Russian, as the station's own texts are; the system's language where
  // Windows has no Russian messages.
  DWORD length = format(MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT));
  if (length == 0) length = format(0);
  std::string reason;
  if (length > 0 && text != nullptr) {
    std::wstring wide(text, length);
    while (!wide.empty() && (wide.back() == L'\n' || wide.back() == L'\r' || wide.back() == L' ' ||
                             wide.back() == L'.')) {
      wide.pop_back();
    }
    reason = Utf8(wide);
  }
  if (text != nullptr) ::LocalFree(text);
  if (reason.empty()) reason = "системная ошибка " + std::to_string(error);
  return reason;
}

std::string LastErrorReason() { return SystemReason(::GetLastError()); }

std::string ShownPath(const std::string& path) {
  std::string shown;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const char c = path[i] == '/' ? '\\' : path[i];
    // A separator doubled by joining (a folder that ends in one, then "/")
    // counts once; the two that open a network or device path stay.
    if (c == '\\' && i > 1 && !shown.empty() && shown.back() == '\\') continue;
    shown += c;
  }
  return shown;
}

}  // namespace rz::win32
