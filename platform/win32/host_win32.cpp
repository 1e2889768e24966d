// The host system on Windows: files through CreateFileW (binary always; "not
// shared" through a share mode of 0, so that another program's open fails
// while the station holds the file), and GetLocalTime for the local time.

#include <windows.h>

#include <algorithm>

#include "app/host_system.h"
#include "win32/win32_text.h"

namespace rz {
namespace {

// A handle to a regular file: reads, writes and moves of the file pointer.
class Win32File {
 public:
  explicit Win32File(HANDLE handle) : handle_(handle) {}
  ~Win32File() { ::CloseHandle(handle_); }
  Win32File(const Win32File&) = delete;
  Win32File& operator=(const Win32File&) = delete;

  std::uint64_t Size() const {
    LARGE_INTEGER size{};
    return ::GetFileSizeEx(handle_, &size) && size.QuadPart >= 0 ? static_cast<std::uint64_t>(size.QuadPart) : 0;
  }

  bool Seek(std::uint64_t offset) {
    LARGE_INTEGER to{};
    to.QuadPart = static_cast<LONGLONG>(offset);
    return ::SetFilePointerEx(handle_, to, nullptr, FILE_BEGIN) != 0;
  }

  std::size_t Read(std::uint8_t* data, std::size_t n) {
    std::size_t got = 0;
    while (got < n) {
      const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(n - got, 1u << 20));
      DWORD read = 0;
      if (!::ReadFile(handle_, data + got, ask, &read, nullptr) || read == 0) break;
      got += read;
    }
    return got;
  }

  bool Write(const std::uint8_t* data, std::size_t n) {
    std::size_t done = 0;
    while (done < n) {
      const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(n - done, 1u << 20));
      DWORD written = 0;
      if (!::WriteFile(handle_, data + done, ask, &written, nullptr) || written == 0) return false;
      done += written;
    }
    return true;
  }

 private:
  HANDLE handle_;
};

class Win32ExclusiveFile final : public ExclusiveFile {
 public:
  explicit Win32ExclusiveFile(HANDLE handle) : file_(handle) {}
  std::uint64_t Size() override { return file_.Size(); }
  void Rewind() override { file_.Seek(0); }
  std::size_t Read(std::uint8_t* data, std::size_t n) override { return file_.Read(data, n); }

 private:
  Win32File file_;
};

class Win32HostFile final : public HostFile {
 public:
  explicit Win32HostFile(HANDLE handle) : file_(handle) {}
  std::uint64_t Size() override { return file_.Size(); }
  bool Seek(std::uint64_t offset) override { return file_.Seek(offset); }
  std::size_t Read(std::uint8_t* data, std::size_t n) override { return file_.Read(data, n); }
  bool Write(const std::uint8_t* data, std::size_t n) override { return file_.Write(data, n); }

 private:
  Win32File file_;
};

// Opens `path` as a regular file on disk; INVALID_HANDLE_VALUE with the reason
// otherwise. A folder, a device (COM1, NUL, CON) or a pipe is refused.
HANDLE OpenRegular(const std::string& path, DWORD access, DWORD share, DWORD disposition, std::string& reason) {
  const std::wstring wide = win32::Wide(path);
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    reason = "it is a directory, not a file";
    return INVALID_HANDLE_VALUE;
  }
  const HANDLE handle =
      ::CreateFileW(wide.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    reason = error == ERROR_SHARING_VIOLATION ? "in use by another program" : win32::SystemReason(error);
    return INVALID_HANDLE_VALUE;
  }
  if (::GetFileType(handle) != FILE_TYPE_DISK) {
    reason = "it is not a regular file";
    ::CloseHandle(handle);
    return INVALID_HANDLE_VALUE;
  }
  return handle;
}

class Win32HostSystem final : public HostSystem {
 public:
  std::unique_ptr<ExclusiveFile> OpenNotShared(const std::string& path, std::string& reason) override {
    const HANDLE handle = OpenRegular(path, GENERIC_READ, 0, OPEN_EXISTING, reason);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32ExclusiveFile>(handle);
  }

  std::unique_ptr<HostFile> OpenFile(const std::string& path, FileAccess access) override {
    std::string reason;
    const HANDLE handle =
        access == FileAccess::Read
            ? OpenRegular(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, reason)
            : OpenRegular(path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS, reason);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32HostFile>(handle);
  }

  std::tm LocalTimeNow() override {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    std::tm local{};
    local.tm_year = now.wYear - 1900;
    local.tm_mon = now.wMonth - 1;
    local.tm_mday = now.wDay;
    local.tm_hour = now.wHour;
    local.tm_min = now.wMinute;
    local.tm_sec = now.wSecond;
    local.tm_wday = now.wDayOfWeek;
    local.tm_isdst = -1;
    return local;
  }
};

}  // namespace

HostSystem& PlatformHostSystem() {
  static Win32HostSystem system;
  return system;
}

}  // namespace rz
