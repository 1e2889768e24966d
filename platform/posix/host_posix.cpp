// The host system on POSIX: files through open(2) with a shared flock(2) for
// readers, new files as a temporary beside the target (the file a symbolic
// link points to) renamed over it with the target's mode, and localtime_r for
// the local time. Nothing here opens a path in a way that can
// wait for another program: a FIFO is opened with O_NONBLOCK and refused.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "app/host_system.h"
#include "posix/system_reason.h"

namespace rz {
namespace {

std::string ErrnoText() { return SystemReasonText(errno); }

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

PathKind KindOf(const struct stat& info) {
  if (S_ISREG(info.st_mode)) return PathKind::RegularFile;
  if (S_ISDIR(info.st_mode)) return PathKind::Directory;
  return PathKind::Other;
}

PathKind InspectPath(const std::string& path, std::string& reason) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    reason = ErrnoText();
    return PathKind::Missing;
  }
  return KindOf(info);
}

// The file a path ends at once its symbolic links are followed, also when the
// last link points to a file that does not exist yet: each link's text is
// taken relative to the link's folder. False with the reason for a loop of
// links (or a chain longer than the system's own limit).
bool FollowLinks(std::string path, std::string& resolved, std::string& reason) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
      resolved = path;
      return true;
    }
    std::string link(PATH_MAX, '\0');
    const ssize_t n = ::readlink(path.c_str(), link.data(), link.size());
    if (n < 0) {
      reason = ErrnoText();
      return false;
    }
    link.resize(static_cast<std::size_t>(n));
    path = link.front() == '/' ? link : DirectoryOf(path) + "/" + link;
  }
  reason = SystemReasonText(ELOOP);
  return false;
}

// Makes a rename or a new name reach the disk with its directory.
void SyncDirectoryOf(const std::string& path) {
  const int dir = ::open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

class PosixInputFile final : public InputFile {
 public:
  explicit PosixInputFile(int fd) : fd_(fd) {}
  ~PosixInputFile() override { ::close(fd_); }
  PosixInputFile(const PosixInputFile&) = delete;
  PosixInputFile& operator=(const PosixInputFile&) = delete;

  std::uint64_t Size() override {
    struct stat info {};
    if (::fstat(fd_, &info) != 0 || info.st_size < 0) return 0;
    return static_cast<std::uint64_t>(info.st_size);
  }

  bool Seek(std::uint64_t offset) override {
    const auto to = static_cast<off_t>(offset);
    return to >= 0 && ::lseek(fd_, to, SEEK_SET) == to;
  }

  std::size_t Read(std::uint8_t* data, std::size_t n) override {
    std::size_t got = 0;
    while (got < n) {
      const ssize_t r = ::read(fd_, data + got, n - got);
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0) break;
      got += static_cast<std::size_t>(r);
    }
    return got;
  }

 private:
  int fd_;
};

class PosixOutputFile final : public OutputFile {
 public:
  // `file` is where the bytes go: `target` itself, or the file a link named
  // `target` points to.
  PosixOutputFile(std::string target, std::string file, std::string temporary, int fd)
      : target_(std::move(target)), file_(std::move(file)), temporary_(std::move(temporary)), fd_(fd) {}
  ~PosixOutputFile() override {
    if (fd_ >= 0) ::close(fd_);
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
  }
  PosixOutputFile(const PosixOutputFile&) = delete;
  PosixOutputFile& operator=(const PosixOutputFile&) = delete;

  const std::string& Target() const override { return target_; }

  bool Write(const std::uint8_t* data, std::size_t n, std::string& reason) override {
    if (fd_ < 0) {
      reason = "the file is already closed";
      return false;
    }
    std::size_t done = 0;
    while (done < n) {
      const ssize_t w = ::write(fd_, data + done, n - done);
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) {
        reason = w == 0 ? SystemReasonText(EIO) : ErrnoText();
        written_ += done;
        return false;
      }
      done += static_cast<std::size_t>(w);
    }
    written_ += done;
    return true;
  }

  std::uint64_t Written() const override { return written_; }

  bool Restart(std::string& reason) override {
    if (fd_ < 0 || ::ftruncate(fd_, 0) != 0 || ::lseek(fd_, 0, SEEK_SET) != 0) {
      reason = fd_ < 0 ? "the file is already closed" : ErrnoText();
      return false;
    }
    written_ = 0;
    return true;
  }

  bool Commit(std::string& reason) override {
    std::string why;
    const PathKind kind = InspectPath(file_, why);
    if (kind != PathKind::Missing && kind != PathKind::RegularFile) {
      reason = NotARegularFileReason(kind);
      return false;
    }
    return Close(reason) && Move(file_, true, reason);
  }

  bool KeepAs(const std::string& path, std::string& reason) override {
    return Close(reason) && Move(path, false, reason);
  }

 private:
  // Flushes and closes the temporary file (once).
  bool Close(std::string& reason) {
    if (fd_ < 0) {
      // Closed by an earlier Commit() or KeepAs() that could not move it.
      if (!temporary_.empty()) return true;
      reason = "the file has already been stored";
      return false;
    }
    const bool synced = ::fsync(fd_) == 0;
    if (!synced) reason = ErrnoText();
    const bool closed = ::close(fd_) == 0;
    if (synced && !closed) reason = ErrnoText();
    fd_ = -1;
    return synced && closed;
  }

  // Gives the temporary file the name `path`: over an existing file, or only
  // where nothing of that name exists (a hard link fails with EEXIST).
  bool Move(const std::string& path, bool replace, std::string& reason) {
    if (temporary_.empty()) {
      reason = "the file has already been stored";
      return false;
    }
    if (replace) {
      if (::rename(temporary_.c_str(), path.c_str()) != 0) {
        reason = ErrnoText();
        return false;
      }
    } else if (::link(temporary_.c_str(), path.c_str()) == 0) {
      ::unlink(temporary_.c_str());
    } else {
      reason = ErrnoText();
      return false;
    }
    temporary_.clear();
    SyncDirectoryOf(path);
    return true;
  }

  std::string target_;
  std::string file_;
  std::string temporary_;  // "" once the file has a name of its own
  int fd_;
  std::uint64_t written_ = 0;
};

class PosixHostSystem final : public HostSystem {
 public:
  std::unique_ptr<InputFile> OpenForReading(const std::string& path, std::string& reason) override {
    // O_NONBLOCK: opening a FIFO must not wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
      reason = ErrnoText();
      return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
      reason = ErrnoText();
      ::close(fd);
      return nullptr;
    }
    if (KindOf(info) != PathKind::RegularFile) {
      reason = NotARegularFileReason(KindOf(info));
      ::close(fd);
      return nullptr;
    }
    // Shared: several stations may read one image at once.
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
      reason = "файл записывается другой программой";
      ::close(fd);
      return nullptr;
    }
    // Reads of a regular file never block; the flag only served the open.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return std::make_unique<PosixInputFile>(fd);
  }

  std::unique_ptr<OutputFile> CreateOutput(const std::string& target, std::string& reason) override {
    std::string file;
    if (!FollowLinks(target, file, reason)) return nullptr;
    struct stat existing {};
    const bool exists = ::stat(file.c_str(), &existing) == 0;
    if (exists && KindOf(existing) != PathKind::RegularFile) {
      reason = NotARegularFileReason(KindOf(existing));
      return nullptr;
    }
    // Root may write anything: the mode bits say what the owner meant.
    if (exists && ((existing.st_mode & 0222) == 0 || ::access(file.c_str(), W_OK) != 0)) {
      reason = "файл только для чтения";
      return nullptr;
    }
    // A short name no other process or earlier call uses (the process id and
    // a count), so that a target name near the system's limit still fits.
    static std::atomic<unsigned> serial{0};
    const std::string temporary = DirectoryOf(file) + "/.rz" + std::to_string(::getpid()) + "-" +
                                  std::to_string(serial.fetch_add(1)) + ".tmp";
    int fd = -1;
    do {
      fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
      reason = ErrnoText();
      return nullptr;
    }
    if (exists) {
      // The replaced file's permissions and, where allowed, its owner and group.
      if (::fchown(fd, existing.st_uid, existing.st_gid) != 0) {
        // Not the owner's process: the new file keeps ours.
      }
      if (::fchmod(fd, existing.st_mode & 07777) != 0) {
        // A file system without modes: the new file keeps its own.
      }
    }
    return std::make_unique<PosixOutputFile>(target, file, temporary, fd);
  }

  std::optional<FileIdentity> Identify(const std::string& path) override {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
      return FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino), ""};
    }
    // Not there yet: its folder and its name (through a dangling link, the
    // file the link points to).
    std::string file;
    std::string reason;
    if (!FollowLinks(path, file, reason) || ::stat(DirectoryOf(file).c_str(), &info) != 0) return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
                        NameOf(file)};
  }

  PathKind Inspect(const std::string& path, std::string& reason) override { return InspectPath(path, reason); }

  bool AppendToFile(const std::string& path, const std::string& bytes, std::string& reason) override {
    // O_NONBLOCK: a FIFO of that name is refused instead of waited on.
    int fd = -1;
    do {
      fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
      reason = ErrnoText();
      return false;
    }
    struct stat info {};
    bool written = ::fstat(fd, &info) == 0;
    if (!written) {
      reason = ErrnoText();
    } else if (KindOf(info) != PathKind::RegularFile) {
      reason = NotARegularFileReason(KindOf(info));
      written = false;
    } else {
      // One write(2) for the whole text: with O_APPEND it lands at the end
      // as one piece; a short write (a full disk) is reported.
      ssize_t n = -1;
      do {
        n = ::write(fd, bytes.data(), bytes.size());
      } while (n < 0 && errno == EINTR);
      written = n == static_cast<ssize_t>(bytes.size());
      if (!written) reason = n < 0 ? ErrnoText() : "записана лишь часть строки (нет места на диске?)";
    }
    ::close(fd);
    return written;
  }

  std::string UserDataFolder() override {
    // An XDG folder that is not absolute is to be ignored.
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg != nullptr && xdg[0] == '/') return xdg;
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') return "";
    return std::string(home) + "/.local/share";
  }

  std::tm LocalTimeNow() override {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return local;
  }

 private:
  static std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
  }
};

}  // namespace

HostSystem& PlatformHostSystem() {
  static PosixHostSystem system;
  return system;
}

}  // namespace rz
