// The host system on POSIX: files through open(2) with flock(2) for "not
// shared", and localtime_r for the local time.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "app/host_system.h"

namespace rz {
namespace {

class PosixExclusiveFile final : public ExclusiveFile {
 public:
  explicit PosixExclusiveFile(int fd) : fd_(fd) {}
  ~PosixExclusiveFile() override { ::close(fd_); }
  PosixExclusiveFile(const PosixExclusiveFile&) = delete;
  PosixExclusiveFile& operator=(const PosixExclusiveFile&) = delete;

  std::uint64_t Size() override {
    struct stat info {};
    if (::fstat(fd_, &info) != 0 || info.st_size < 0) return 0;
    return static_cast<std::uint64_t>(info.st_size);
  }

  void Rewind() override { ::lseek(fd_, 0, SEEK_SET); }

  std::size_t Read(std::uint8_t* data, std::size_t n) override {
    for (;;) {
      const ssize_t got = ::read(fd_, data, n);
      if (got >= 0) return static_cast<std::size_t>(got);
      if (errno != EINTR) return 0;
    }
  }

 private:
  int fd_;
};

// A transfer's file: plain reads and writes on the descriptor.
class PosixHostFile final : public HostFile {
 public:
  explicit PosixHostFile(int fd) : fd_(fd) {}
  ~PosixHostFile() override { ::close(fd_); }
  PosixHostFile(const PosixHostFile&) = delete;
  PosixHostFile& operator=(const PosixHostFile&) = delete;

  std::uint64_t Size() override {
    struct stat info {};
    return ::fstat(fd_, &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
  }
  bool Seek(std::uint64_t offset) override {
    return ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) == static_cast<off_t>(offset);
  }
  std::size_t Read(std::uint8_t* bytes, std::size_t n) override {
    std::size_t got = 0;
    while (got < n) {
      const ssize_t r = ::read(fd_, bytes + got, n - got);
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0) break;
      got += static_cast<std::size_t>(r);
    }
    return got;
  }
  bool Write(const std::uint8_t* bytes, std::size_t n) override {
    std::size_t done = 0;
    while (done < n) {
      const ssize_t w = ::write(fd_, bytes + done, n - done);
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) return false;
      done += static_cast<std::size_t>(w);
    }
    return true;
  }

 private:
  int fd_;
};

class PosixHostSystem final : public HostSystem {
 public:
  std::unique_ptr<ExclusiveFile> OpenNotShared(const std::string& path, std::string& reason) override {
    // O_NONBLOCK: opening a FIFO must not wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
      reason = std::strerror(errno);
      return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
      reason = S_ISDIR(info.st_mode) ? "it is a directory, not a file" : "it is not a regular file";
      ::close(fd);
      return nullptr;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      reason = "in use by another program";
      ::close(fd);
      return nullptr;
    }
    // Reads of a regular file never block; the flag only served the open.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return std::make_unique<PosixExclusiveFile>(fd);
  }

  std::unique_ptr<HostFile> OpenFile(const std::string& path, FileAccess access) override {
    const int flags = access == FileAccess::Read ? O_RDONLY : O_WRONLY | O_CREAT | O_TRUNC;
    int fd = -1;
    do {
      fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return nullptr;
    // A folder opens for reading on POSIX but is no file to transfer.
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
      ::close(fd);
      return nullptr;
    }
    return std::make_unique<PosixHostFile>(fd);
  }

  std::tm LocalTimeNow() override {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return local;
  }
};

}  // namespace

HostSystem& PlatformHostSystem() {
  static PosixHostSystem system;
  return system;
}

}  // namespace rz
