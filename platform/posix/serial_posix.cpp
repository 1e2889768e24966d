#include "posix/serial_posix.h"
#include "posix/system_reason.h"
#include "serial_input_buffer.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

namespace rz {
namespace {

using Clock = std::chrono::steady_clock;

// How long a write may wait for room in the output queue before giving up.
// A board that has stopped reading fills the queue; the write then gives up
// soon enough for the operation to end (and for ESC to be felt) within a second.
constexpr int kWriteStallMs = 500;

// The termios code of a rate, or B0 for a rate this backend does not offer.
speed_t SpeedFor(std::uint32_t baud) {
  switch (baud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    default: return B0;
  }
}

tcflag_t DataBitsFlag(std::uint8_t bits) {
  switch (bits) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    default: return CS8;
  }
}

class PosixSerialDevice final : public SerialDevice {
 public:
  explicit PosixSerialDevice(int fd) : fd_(fd) {}
  ~PosixSerialDevice() override {
    // The exclusive flag would outlive the close on a pseudo-terminal and keep
    // every later open out; the flock keeps other stations out meanwhile.
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_);
  }
  PosixSerialDevice(const PosixSerialDevice&) = delete;
  PosixSerialDevice& operator=(const PosixSerialDevice&) = delete;

  bool ApplyLineSettings(const LineSettings& settings, std::string& error) override {
    const speed_t speed = SpeedFor(settings.baud);
    if (speed == B0) {
      error = std::to_string(settings.baud) + " baud is not a supported line speed";
      return false;
    }
    termios tio{};
    if (::tcgetattr(fd_, &tio) != 0) {
      error = "не удалось прочитать настройки линии: " + SystemReasonText(errno);
      return false;
    }
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    tio.c_cflag |= DataBitsFlag(settings.dataBits) | CLOCAL | CREAD;
    if (settings.parity == 1) tio.c_cflag |= PARENB | PARODD;  // odd
    if (settings.parity == 2) tio.c_cflag |= PARENB;           // even
    if (settings.stopBits == 2) tio.c_cflag |= CSTOPB;         // two stop bits
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    if (::tcsetattr(fd_, TCSANOW, &tio) != 0) {
      error = "не удалось настроить линию: " + SystemReasonText(errno);
      return false;
    }
    // DTR and RTS held off. A pseudo-terminal has no modem lines and refuses
    // the request, which is fine.
    int lines = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(fd_, TIOCMBIC, &lines);
    return true;
  }

  void PurgeOutput() override { ::tcflush(fd_, TCOFLUSH); }

  void PurgeInput() override {
    ::tcflush(fd_, TCIFLUSH);
    buffer_.Clear();
  }

  void Drain() override { ::tcdrain(fd_); }

  std::size_t Write(const std::uint8_t* data, std::size_t n) override {
    std::size_t done = 0;
    while (done < n) {
      const ssize_t written = ::write(fd_, data + done, n - done);
      if (written > 0) {
        done += static_cast<std::size_t>(written);
        continue;
      }
      if (written < 0 && errno == EINTR) continue;
      if (written < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
        if (IsGoneError(errno)) gone_ = true;
        break;
      }
      pollfd pfd{fd_, POLLOUT, 0};
      if (::poll(&pfd, 1, kWriteStallMs) <= 0 || (pfd.revents & POLLOUT) == 0) {
        if ((pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) gone_ = true;
        break;
      }
    }
    return done;
  }

  std::size_t Read(std::uint8_t* data, std::size_t n, std::chrono::milliseconds timeout) override {
    const auto deadline = Clock::now() + timeout;
    std::size_t got = buffer_.Take(data, n);
    // The device is looked at once whatever the time left, so that a read
    // without a time-out still takes what has arrived.
    for (bool first = true; got < n; first = false) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      if (left.count() <= 0 && !first) break;
      if (!Fill(static_cast<int>(std::max(left, std::chrono::milliseconds(0)).count()))) {
        // The device has gone away (adapter pulled, far end closed): nothing
        // will come, but the read still lasts its time so callers never spin.
        std::this_thread::sleep_until(deadline);
        break;
      }
      got += buffer_.Take(data + got, n - got);
    }
    return got;
  }

  bool Gone() const override { return gone_; }

 private:
  // What read() and write() say of a device that has gone away.
  static bool IsGoneError(int error) { return error == EIO || error == ENXIO || error == ENODEV || error == EBADF; }

  // Waits up to `waitMs` for input and reads what is there into the buffer.
  // Returns false when the device reports that it is gone.
  bool Fill(int waitMs) {
    pollfd pfd{fd_, POLLIN, 0};
    const int ready = ::poll(&pfd, 1, waitMs);
    if (ready < 0) return errno == EINTR;
    if (ready == 0) return true;  // time-out: the caller sees the deadline
    if ((pfd.revents & POLLIN) == 0) {  // POLLHUP, POLLERR, POLLNVAL
      gone_ = true;
      return false;
    }
    const ssize_t got = ::read(fd_, buffer_.Room(), buffer_.RoomSize());
    if (got > 0) {
      buffer_.Added(static_cast<std::size_t>(got));
      return true;
    }
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) return true;
    // A hung-up terminal reads as the end of the file or as an I/O error.
    if ((got == 0 && (pfd.revents & POLLHUP) != 0) || (got < 0 && IsGoneError(errno))) gone_ = true;
    return false;
  }

  int fd_;
  bool gone_ = false;
  SerialInputBuffer buffer_;
};

}  // namespace

std::unique_ptr<SerialDevice> PosixSerialBackend::Open(const std::string& path, std::string& error) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int why = errno;
    error = path + ": " + SystemReasonText(why);
    if (why == EACCES) error += " (пользователь должен входить в группу dialout)";
    return nullptr;
  }
  termios tio{};
  if (::tcgetattr(fd, &tio) != 0) {
    error = path + ": не последовательный порт";
    ::close(fd);
    return nullptr;
  }
  // Exclusive use: a second station (or terminal program) cannot take the port.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    error = path + ": порт занят другой программой";
    ::close(fd);
    return nullptr;
  }
  if (::ioctl(fd, TIOCEXCL) != 0 && errno == EBUSY) {
    error = path + ": порт занят другой программой";
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<PosixSerialDevice>(fd);
}

}  // namespace rz
