// The host system on POSIX: files through open(2) with flock(2) for "not
// shared", and localtime_r for the local time.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "app/host_system.h"
#include "posix/system_reason.h"

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

class PosixHostSystem final : public HostSystem {
 public:
  std::unique_ptr<ExclusiveFile> OpenNotShared(const std::string& path, std::string& reason) override {
    // O_NONBLOCK: opening a FIFO must not wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
      reason = SystemReasonText(errno);
      return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
      reason = S_ISDIR(info.st_mode) ? "это каталог, а не файл" : "это не обычный файл";
      ::close(fd);
      return nullptr;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      reason = "файл занят другой программой";
      ::close(fd);
      return nullptr;
    }
    // Reads of a regular file never block; the flag only served the open.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return std::make_unique<PosixExclusiveFile>(fd);
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
