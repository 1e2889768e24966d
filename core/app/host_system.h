#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>

namespace rz {

// The path of a UTF-8 file name (the station's text is UTF-8 everywhere), for
// the standard library's file streams: on Windows a plain std::string would
// be taken as the ANSI code page.
inline std::filesystem::path Utf8Path(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// A file opened for reading by this process alone.
class ExclusiveFile {
 public:
  virtual ~ExclusiveFile() = default;
  // Current size in bytes.
  virtual std::uint64_t Size() = 0;
  // Back to the first byte.
  virtual void Rewind() = 0;
  // Reads up to n bytes; returns how many were read (0 at the end or on an error).
  virtual std::size_t Read(std::uint8_t* data, std::size_t n) = 0;
};

// A file a transfer reads from or writes into, at a position of its own.
class HostFile {
 public:
  virtual ~HostFile() = default;
  virtual std::uint64_t Size() = 0;
  virtual bool Seek(std::uint64_t offset) = 0;
  // Reads up to n bytes; fewer only at the end of the file or on an error.
  virtual std::size_t Read(std::uint8_t* data, std::size_t n) = 0;
  // Writes all n bytes; false when they could not be.
  virtual bool Write(const std::uint8_t* data, std::size_t n) = 0;
};

// How a transfer opens its file: an existing file to read, or a file to
// write that is created or emptied.
enum class FileAccess { Read, CreateOrEmpty };

// What the core needs of the host system besides the serial ports and the
// sound: opening a file that nobody else may hold, and the local time. Each
// platform supplies one implementation (platform/posix for POSIX systems, platform/win32 for Windows).
class HostSystem {
 public:
  virtual ~HostSystem() = default;
  // Opens an existing regular file for reading, not shared with other
  // processes, without ever blocking (a FIFO or a directory of that name is
  // refused at once). Returns nullptr and the system's reason on failure.
  virtual std::unique_ptr<ExclusiveFile> OpenNotShared(const std::string& path, std::string& reason) = 0;
  // Opens a regular file (nothing else: no folder, no device) in binary mode.
  // Returns nullptr on failure.
  virtual std::unique_ptr<HostFile> OpenFile(const std::string& path, FileAccess access) = 0;
  // The local date and time now.
  virtual std::tm LocalTimeNow() = 0;
};

// The host system of the platform the station was built for.
HostSystem& PlatformHostSystem();

}  // namespace rz
