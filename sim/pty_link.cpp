#include "pty_link.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include "line_speed.h"

namespace rzsim {

namespace {

std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }

std::string ReadLink(const std::string& path) {
  std::vector<char> buffer(4096);
  const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
  if (n < 0) return {};
  return std::string(buffer.data(), static_cast<std::size_t>(n));
}

}  // namespace

PtyLink::~PtyLink() {
  RemoveLink();
  if (lock_ >= 0) ::close(lock_);
  if (slave_ >= 0) ::close(slave_);
  if (master_ >= 0) ::close(master_);
}

bool PtyLink::Open(std::string& error) {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
  if (master_ < 0) {
    error = SystemError("posix_openpt");
    return false;
  }
  if (::fcntl(master_, F_SETFD, FD_CLOEXEC) != 0 || ::grantpt(master_) != 0 ||
      ::unlockpt(master_) != 0) {
    error = SystemError("preparing the pseudo-terminal");
    return false;
  }
  const int flags = ::fcntl(master_, F_GETFL);
  if (flags < 0 || ::fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0) {
    error = SystemError("fcntl O_NONBLOCK");
    return false;
  }
  char name[256];
  if (::ptsname_r(master_, name, sizeof name) != 0) {
    error = SystemError("ptsname_r");
    return false;
  }
  slavePath_ = name;
  slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave_ < 0) {
    error = SystemError("opening " + slavePath_);
    return false;
  }
  // Raw from the start: with the default echo on, the line discipline would
  // send the board's own bytes back to it until the station sets its mode.
  termios tio{};
  if (::tcgetattr(slave_, &tio) != 0) {
    error = SystemError("tcgetattr");
    return false;
  }
  ::cfmakeraw(&tio);
  tio.c_cflag |= CLOCAL | CREAD;
  tio.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
  if (::tcsetattr(slave_, TCSANOW, &tio) != 0) {
    error = SystemError("tcsetattr");
    return false;
  }
  return true;
}

bool PtyLink::MakeLink(const std::string& path, std::string& error) {
  // The lock file stays behind when the simulator ends: removing it could let
  // two later simulators lock two different files of the same name.
  const std::string lockPath = path + ".lock";
  lock_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (lock_ < 0) {
    error = SystemError("opening " + lockPath);
    return false;
  }
  if (::flock(lock_, LOCK_EX | LOCK_NB) != 0) {
    char pid[32] = {};
    const ssize_t n = ::pread(lock_, pid, sizeof pid - 1, 0);
    error = path + " is the link of another rzboard-sim that is still running" +
            (n > 0 ? " (pid " + std::string(pid, static_cast<std::size_t>(n)) + ")" : std::string());
    ::close(lock_);
    lock_ = -1;
    return false;
  }
  const std::string me = std::to_string(::getpid());
  if (::ftruncate(lock_, 0) != 0 || ::pwrite(lock_, me.data(), me.size(), 0) < 0) {
    // The pid is only for the message; the lock itself holds.
  }
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
    error = path + " exists and is not a symbolic link";
    return false;
  }
  // Made under a temporary name and renamed over the old link, so the path
  // never goes missing for a station that is polling for it.
  const std::string temporary = path + ".rzboard-sim." + std::to_string(::getpid());
  ::unlink(temporary.c_str());
  if (::symlink(slavePath_.c_str(), temporary.c_str()) != 0) {
    error = SystemError("symlink " + temporary);
    return false;
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    error = SystemError("rename to " + path);
    ::unlink(temporary.c_str());
    return false;
  }
  linkPath_ = path;
  return true;
}

void PtyLink::RemoveLink() {
  if (linkPath_.empty()) return;
  // Another board may have taken the name over since; leave its link alone.
  if (ReadLink(linkPath_) == slavePath_) ::unlink(linkPath_.c_str());
  linkPath_.clear();
}

std::uint32_t PtyLink::StationBaud() const {
  termios tio{};
  if (slave_ < 0 || ::tcgetattr(slave_, &tio) != 0) return 0;
  // The station's output speed is the rate of the bytes the board receives.
  return BaudFromSpeed(::cfgetospeed(&tio));
}

}  // namespace rzsim
