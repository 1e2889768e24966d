// The host system on Windows: files through CreateFileW (binary always;
// readers share with readers only, FILE_SHARE_READ, so that a writer's open
// fails while the station reads the file), new files as a temporary file
// beside the target (the file a symbolic link points to) moved over it with
// MoveFileExW, and GetLocalTime for the local time.
// Nothing here opens a device: a path in the device namespace (\\.\COM1) or a
// reserved name (NUL, CON, COM1, ...) is refused by its name, before any
// system call could open it, block on it or raise a line of a serial port.

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <ctime>
#include <cwctype>
#include <limits>
#include <string_view>

#include "app/host_system.h"
#include "record/record_host.h"
#include "win32/win32_text.h"

namespace rz {
namespace {

// The names Windows gives to devices in every folder (NUL.txt included).
bool IsReservedName(std::wstring_view component) {
  std::wstring stem(component.substr(0, component.find_first_of(L".:")));
  while (!stem.empty() && stem.back() == L' ') stem.pop_back();
  for (wchar_t& c : stem) c = static_cast<wchar_t>(std::towupper(c));
  for (const wchar_t* name : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$", L"CLOCK$"}) {
    if (stem == name) return true;
  }
  return stem.size() == 4 && (stem.starts_with(L"COM") || stem.starts_with(L"LPT")) && stem[3] >= L'1' &&
         stem[3] <= L'9';
}

bool IsDriveLetterPath(std::wstring_view rest) {
  return rest.size() >= 2 && std::iswalpha(rest[0]) != 0 && rest[1] == L':';
}

// A path in the device namespace (\\.\COM1, \\?\GLOBALROOT\...), except the
// forms that name a file on a disk (\\?\C:\..., \\?\UNC\..., \\?\Volume{...}).
bool IsDeviceNamespace(std::wstring_view path) {
  if (path.size() < 4 || (path[0] != L'\\' && path[0] != L'/') || (path[1] != L'\\' && path[1] != L'/') ||
      (path[2] != L'.' && path[2] != L'?') || (path[3] != L'\\' && path[3] != L'/')) {
    return false;
  }
  const std::wstring_view rest = path.substr(4);
  if (IsDriveLetterPath(rest)) return false;
  std::wstring head(rest.substr(0, std::min<std::size_t>(rest.size(), 7)));
  for (wchar_t& c : head) c = static_cast<wchar_t>(std::towupper(c));
  return !(head.starts_with(L"UNC\\") || head.starts_with(L"VOLUME{"));
}

// True when `wide` names a device rather than a file: its own spelling, or the
// full path the system makes of it (GetFullPathNameW turns "COM1" into
// "\\.\COM1").
bool NamesADevice(const std::wstring& wide) {
  if (IsDeviceNamespace(wide)) return true;
  const std::size_t separator = wide.find_last_of(L"\\/");
  if (IsReservedName(separator == std::wstring::npos ? std::wstring_view(wide)
                                                     : std::wstring_view(wide).substr(separator + 1))) {
    return true;
  }
  const DWORD needed = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return false;
  std::wstring full(needed, L'\0');
  const DWORD length = ::GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return false;
  full.resize(length);
  return IsDeviceNamespace(full);
}

PathKind KindOfHandle(HANDLE handle) {
  if (::GetFileType(handle) != FILE_TYPE_DISK) return PathKind::Other;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(handle, &info)) return PathKind::Other;
  return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::Directory : PathKind::RegularFile;
}

// What `wide` names now, following a symbolic link or junction, opening
// nothing but (for a reparse point) a handle without any access right.
PathKind InspectWide(const std::wstring& wide, std::string& reason) {
  if (NamesADevice(wide)) return PathKind::Other;
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    reason = win32::LastErrorReason();
    return PathKind::Missing;
  }
  if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) return PathKind::Other;
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::Directory : PathKind::RegularFile;
  }
  const HANDLE handle =
      ::CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    // A link whose target is gone.
    reason = win32::LastErrorReason();
    return PathKind::Missing;
  }
  const PathKind kind = KindOfHandle(handle);
  ::CloseHandle(handle);
  return kind;
}

std::string FailureReason(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ? "файл занят другой программой"
                                                                           : win32::SystemReason(error);
}

class Win32InputFile final : public InputFile {
 public:
  explicit Win32InputFile(HANDLE handle) : handle_(handle) {}
  ~Win32InputFile() override { ::CloseHandle(handle_); }
  Win32InputFile(const Win32InputFile&) = delete;
  Win32InputFile& operator=(const Win32InputFile&) = delete;

  std::uint64_t Size() override {
    LARGE_INTEGER size{};
    return ::GetFileSizeEx(handle_, &size) && size.QuadPart >= 0 ? static_cast<std::uint64_t>(size.QuadPart) : 0;
  }

  bool Seek(std::uint64_t offset) override {
    if (offset > static_cast<std::uint64_t>(std::numeric_limits<LONGLONG>::max())) return false;
    LARGE_INTEGER to{};
    to.QuadPart = static_cast<LONGLONG>(offset);
    return ::SetFilePointerEx(handle_, to, nullptr, FILE_BEGIN) != 0;
  }

  std::size_t Read(std::uint8_t* data, std::size_t n) override {
    std::size_t got = 0;
    while (got < n) {
      const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(n - got, 1u << 20));
      DWORD read = 0;
      if (!::ReadFile(handle_, data + got, ask, &read, nullptr) || read == 0) break;
      got += read;
    }
    return got;
  }

 private:
  HANDLE handle_;
};

class Win32OutputFile final : public OutputFile {
 public:
  // `file` is where the bytes go: `target` itself, or the file a link named
  // `target` points to.
  Win32OutputFile(std::string target, std::string file, std::wstring temporary, HANDLE handle)
      : target_(std::move(target)), file_(std::move(file)), temporary_(std::move(temporary)), handle_(handle) {}
  ~Win32OutputFile() override {
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
    if (!temporary_.empty()) ::DeleteFileW(temporary_.c_str());
  }
  Win32OutputFile(const Win32OutputFile&) = delete;
  Win32OutputFile& operator=(const Win32OutputFile&) = delete;

  const std::string& Target() const override { return target_; }

  bool Write(const std::uint8_t* data, std::size_t n, std::string& reason) override {
    if (handle_ == INVALID_HANDLE_VALUE) {
      reason = "файл уже закрыт";
      return false;
    }
    std::size_t done = 0;
    while (done < n) {
      const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(n - done, 1u << 20));
      DWORD written = 0;
      const bool ok = ::WriteFile(handle_, data + done, ask, &written, nullptr) != 0;
      if (!ok || written == 0) {
        reason = win32::SystemReason(ok ? ERROR_WRITE_FAULT : ::GetLastError());
        written_ += done;
        return false;
      }
      done += written;
    }
    written_ += done;
    return true;
  }

  std::uint64_t Written() const override { return written_; }

  bool Restart(std::string& reason) override {
    LARGE_INTEGER start{};
    if (handle_ == INVALID_HANDLE_VALUE || ::SetFilePointerEx(handle_, start, nullptr, FILE_BEGIN) == 0 ||
        ::SetEndOfFile(handle_) == 0) {
      reason = handle_ == INVALID_HANDLE_VALUE ? "the file is already closed" : win32::SystemReason(::GetLastError());
      return false;
    }
    written_ = 0;
    return true;
  }

  bool Commit(std::string& reason) override {
    std::string why;
    const PathKind kind = InspectWide(win32::Wide(file_), why);
    if (kind != PathKind::Missing && kind != PathKind::RegularFile) {
      reason = NotARegularFileReason(kind);
      return false;
    }
    return Close(reason) && Move(file_, MOVEFILE_REPLACE_EXISTING, reason);
  }

  bool KeepAs(const std::string& path, std::string& reason) override {
    if (NamesADevice(win32::Wide(path))) {
      reason = NotARegularFileReason(PathKind::Other);
      return false;
    }
    return Close(reason) && Move(path, 0, reason);
  }

 private:
  // Flushes and closes the temporary file (once).
  bool Close(std::string& reason) {
    if (handle_ == INVALID_HANDLE_VALUE) {
      // Closed by an earlier Commit() or KeepAs() that could not move it.
      if (!temporary_.empty()) return true;
      reason = "файл уже сохранен";
      return false;
    }
    const bool flushed = ::FlushFileBuffers(handle_) != 0;
    if (!flushed) reason = win32::LastErrorReason();
    const bool closed = ::CloseHandle(handle_) != 0;
    if (flushed && !closed) reason = win32::LastErrorReason();
    handle_ = INVALID_HANDLE_VALUE;
    return flushed && closed;
  }

  // Gives the temporary file the name `path`: over an existing file with
  // MOVEFILE_REPLACE_EXISTING, else only where nothing of that name exists.
  bool Move(const std::string& path, DWORD replace, std::string& reason) {
    if (temporary_.empty()) {
      reason = "файл уже сохранен";
      return false;
    }
    if (!::MoveFileExW(temporary_.c_str(), win32::Wide(path).c_str(), replace | MOVEFILE_WRITE_THROUGH)) {
      reason = FailureReason(::GetLastError());
      return false;
    }
    temporary_.clear();
    return true;
  }

  std::string target_;
  std::string file_;
  std::wstring temporary_;  // empty once the file has a name of its own
  HANDLE handle_;
  std::uint64_t written_ = 0;
};

// The folder part of `path` with its trailing separator ("" for a bare name;
// "C:" for a drive-relative name), so that a temporary file lands beside it.
std::string FolderPrefixOf(const std::string& path) {
  std::size_t end = path.find_last_of("/\\");
  if (end == std::string::npos && path.size() >= 2 && path[1] == ':') end = 1;
  return end == std::string::npos ? std::string() : path.substr(0, end + 1);
}

// The file a link points to, as the system names it, or `wide` itself.
std::string FinalPathOf(const std::wstring& wide) {
  const HANDLE handle = ::CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return win32::Utf8(wide);
  std::wstring final(MAX_PATH, L'\0');
  DWORD length = ::GetFinalPathNameByHandleW(handle, final.data(), static_cast<DWORD>(final.size()), 0);
  if (length >= final.size()) {
    final.resize(length + 1);
    length = ::GetFinalPathNameByHandleW(handle, final.data(), static_cast<DWORD>(final.size()), 0);
  }
  ::CloseHandle(handle);
  if (length == 0 || length >= final.size()) return win32::Utf8(wide);
  final.resize(length);
  return win32::Utf8(final);
}

// The volume serial number and file index of what `wide` names (a file or a
// folder), opened without any access right; nothing when it does not exist.
std::optional<FileIdentity> IdentityOf(const std::wstring& wide) {
  const HANDLE handle = ::CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = ::GetFileInformationByHandle(handle, &info) != 0;
  ::CloseHandle(handle);
  if (!known) return std::nullopt;
  return FileIdentity{info.dwVolumeSerialNumber,
                      (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow, ""};
}

class Win32HostSystem final : public HostSystem {
 public:
  std::unique_ptr<InputFile> OpenForReading(const std::string& path, std::string& reason) override {
    const std::wstring wide = win32::Wide(path);
    const PathKind kind = InspectWide(wide, reason);
    if (kind == PathKind::Missing) return nullptr;
    if (kind != PathKind::RegularFile) {
      reason = NotARegularFileReason(kind);
      return nullptr;
    }
    const HANDLE handle = ::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      reason = FailureReason(::GetLastError());
      return nullptr;
    }
    // The name may have been replaced by something else since it was looked at.
    const PathKind opened = KindOfHandle(handle);
    if (opened != PathKind::RegularFile) {
      reason = NotARegularFileReason(opened);
      ::CloseHandle(handle);
      return nullptr;
    }
    return std::make_unique<Win32InputFile>(handle);
  }

  std::unique_ptr<OutputFile> CreateOutput(const std::string& target, std::string& reason) override {
    std::string why;
    const std::wstring wide = win32::Wide(target);
    const PathKind kind = InspectWide(wide, why);
    if (kind != PathKind::Missing && kind != PathKind::RegularFile) {
      reason = NotARegularFileReason(kind);
      return nullptr;
    }
    // Through a symbolic link to the file it points to.
    std::string file = target;
    if (kind == PathKind::RegularFile) {
      const DWORD attributes = ::GetFileAttributesW(wide.c_str());
      if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) file = FinalPathOf(wide);
      if ((::GetFileAttributesW(win32::Wide(file).c_str()) & FILE_ATTRIBUTE_READONLY) != 0) {
        reason = "файл только для чтения";
        return nullptr;
      }
    }
    // A short name no other process or earlier call uses (the process id and
    // a count), created new so that nothing of that name is ever opened.
    const std::string stem = FolderPrefixOf(file) + ".rz" + std::to_string(::GetCurrentProcessId()) + "-";
    static std::atomic<unsigned> serial{0};
    for (int attempt = 0; attempt < 16; ++attempt) {
      std::wstring temporary = win32::Wide(stem + std::to_string(serial.fetch_add(1)) + ".tmp");
      const HANDLE handle = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
      if (handle != INVALID_HANDLE_VALUE) {
        if (::GetFileType(handle) != FILE_TYPE_DISK) {
          ::CloseHandle(handle);
          reason = NotARegularFileReason(PathKind::Other);
          return nullptr;
        }
        return std::make_unique<Win32OutputFile>(target, file, std::move(temporary), handle);
      }
      const DWORD error = ::GetLastError();
      if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
        reason = FailureReason(error);
        return nullptr;
      }
    }
    reason = win32::SystemReason(ERROR_FILE_EXISTS);
    return nullptr;
  }

  std::optional<FileIdentity> Identify(const std::string& path) override {
    const std::wstring wide = win32::Wide(path);
    if (NamesADevice(wide)) return std::nullopt;
    if (std::optional<FileIdentity> identity = IdentityOf(wide)) return identity;
    // Not there yet: its folder and its name, in one case (names differing in
    // case only are one file).
    const std::size_t nameStart = FolderPrefixOf(path).size();
    std::optional<FileIdentity> folder = IdentityOf(win32::Wide(nameStart == 0 ? "." : FolderPrefixOf(path)));
    if (!folder) return std::nullopt;
    std::wstring name = win32::Wide(path.substr(nameStart));
    ::CharUpperBuffW(name.data(), static_cast<DWORD>(name.size()));
    folder->name = win32::Utf8(name);
    return folder;
  }

  PathKind Inspect(const std::string& path, std::string& reason) override {
    return InspectWide(win32::Wide(path), reason);
  }

  std::string ShownPath(const std::string& path) override { return win32::ShownPath(path); }

  bool AppendToFile(const std::string& path, const std::string& bytes, std::string& reason) override {
    const std::wstring wide = win32::Wide(path);
    const PathKind kind = InspectWide(wide, reason);
    if (kind != PathKind::Missing && kind != PathKind::RegularFile) {
      reason = NotARegularFileReason(kind);
      return false;
    }
    // FILE_APPEND_DATA alone: every WriteFile lands at the end of the file as
    // it is then, whole, also with other processes appending at once (they
    // share the file for writing). A reader that keeps writers out (another
    // station's OpenForReading) is waited for a little.
    HANDLE handle = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 50; ++attempt) {
      handle = ::CreateFileW(wide.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (handle != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_SHARING_VIOLATION) break;
      ::Sleep(10);
    }
    if (handle == INVALID_HANDLE_VALUE) {
      reason = FailureReason(::GetLastError());
      return false;
    }
    DWORD written = 0;
    const bool whole = bytes.size() <= std::numeric_limits<DWORD>::max() &&
                       ::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) != 0 &&
                       written == bytes.size();
    if (!whole) reason = written == 0 ? win32::LastErrorReason() : "записана лишь часть строки (нет места на диске?)";
    ::CloseHandle(handle);
    return whole;
  }

  std::string UserDataFolder() override {
    const wchar_t* folder = ::_wgetenv(L"LOCALAPPDATA");
    return folder == nullptr ? std::string() : win32::Utf8(folder);
  }

  std::tm LocalTimeNow() override {
    long utcOffsetSeconds = 0;
    return LocalTimeOf(std::time(nullptr), utcOffsetSeconds);
  }
};

}  // namespace

HostSystem& PlatformHostSystem() {
  static Win32HostSystem system;
  return system;
}

}  // namespace rz
