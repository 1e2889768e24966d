#pragma once

#include <string>

namespace rz::win32 {

// UTF-8 (the station's text everywhere) to the UTF-16 of the Win32 API, and back.
std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);
std::string Utf8(const wchar_t* wide, std::size_t length);

// The system's text for an error code (GetLastError, WSAGetLastError), in
// UTF-8 without the trailing line break: in Russian, or in the system's
// language where Windows has no Russian messages.
std::string SystemReason(unsigned long error);
// The text for the calling thread's last error.
std::string LastErrorReason();

// A path as Windows writes it for the operator: backslashes only, a
// separator doubled by joining counted once.
std::string ShownPath(const std::string& path);

}  // namespace rz::win32
