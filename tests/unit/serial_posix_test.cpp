#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "cpu_time.h"
#include "link/serial_channel.h"
#include "posix/serial_posix.h"

namespace rz::testing {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// A pseudo-terminal pair: the test plays the board on the master, the station
// opens the slave as its serial port.
class PtyPair {
 public:
  PtyPair() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    ::grantpt(master_);
    ::unlockpt(master_);
    termios tio{};
    ::tcgetattr(master_, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(master_, TCSANOW, &tio);
    slavePath_ = ::ptsname(master_);
  }
  ~PtyPair() { CloseMaster(); }
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  const std::string& SlavePath() const { return slavePath_; }
  void Send(const std::vector<std::uint8_t>& bytes) const {
    ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  // What the station wrote, read within `wait`.
  std::vector<std::uint8_t> Received(milliseconds wait = milliseconds(100)) const {
    std::vector<std::uint8_t> bytes;
    const auto end = Clock::now() + wait;
    std::uint8_t buffer[256];
    while (Clock::now() < end) {
      const int flags = ::fcntl(master_, F_GETFL);
      ::fcntl(master_, F_SETFL, flags | O_NONBLOCK);
      const ssize_t got = ::read(master_, buffer, sizeof buffer);
      if (got > 0) bytes.insert(bytes.end(), buffer, buffer + got);
      else std::this_thread::sleep_for(milliseconds(2));
    }
    return bytes;
  }
  void CloseMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }

 private:
  int master_ = -1;
  std::string slavePath_;
};

std::unique_ptr<SerialDevice> OpenStandard(const std::string& path) {
  PosixSerialBackend backend;
  std::string error;
  auto port = backend.Open(path, error);
  EXPECT_NE(port, nullptr) << error;
  if (port) {
    SetPortParams(port.get(), 115200, 8, 0, 0);
  }
  return port;
}

TEST(SerialPort, ReadsAreAllOrNothingWithinFiftyMilliseconds) {
  PtyPair pty;
  auto port = OpenStandard(pty.SlavePath());
  ASSERT_NE(port, nullptr);

  pty.Send({1, 2, 3});
  std::uint8_t buffer[4] = {};
  const auto start = Clock::now();
  EXPECT_EQ(SerialRead(port.get(), buffer, 4), 0u);
  const auto took = Clock::now() - start;
  EXPECT_GE(took, milliseconds(45));
  EXPECT_EQ(buffer[2], 3);  // the bytes that came are in the buffer all the same

  pty.Send({9, 8, 7, 6, 5});
  EXPECT_EQ(SerialRead(port.get(), buffer, 4), 4u);
  EXPECT_EQ(buffer[3], 6);
  EXPECT_EQ(SerialRead(port.get(), buffer, 1), 1u);
  EXPECT_EQ(buffer[0], 5);
  EXPECT_EQ(SerialRead(port.get(), buffer, 0), 0u);
}

// The time-out belongs to each read: nothing of one read's carries over to
// the next, and a read returns as soon as all it asked for has come.
TEST(SerialPort, EachReadWaitsOutItsOwnTimeOut) {
  PtyPair pty;
  auto port = OpenStandard(pty.SlavePath());
  ASSERT_NE(port, nullptr);
  std::uint8_t buffer[4] = {};
  struct Case {
    milliseconds timeout;
    std::vector<std::uint8_t> sent;
    std::size_t got;
    milliseconds atLeast, below;
  };
  const Case cases[] = {
      {milliseconds(150), {}, 0, milliseconds(145), milliseconds(1500)},
      {milliseconds(0), {}, 0, milliseconds(0), milliseconds(120)},
      {milliseconds(0), {7, 8}, 2, milliseconds(0), milliseconds(120)},
      {milliseconds(20), {1}, 1, milliseconds(18), milliseconds(140)},
      {milliseconds(2000), {1, 2, 3, 4}, 4, milliseconds(0), milliseconds(1000)},
  };
  for (const Case& c : cases) {
    if (!c.sent.empty()) pty.Send(c.sent);
    if (c.timeout.count() == 0) std::this_thread::sleep_for(milliseconds(20));  // let the bytes arrive
    const auto start = Clock::now();
    EXPECT_EQ(port->Read(buffer, 4, c.timeout), c.got) << c.timeout.count();
    const auto took = Clock::now() - start;
    EXPECT_GE(took, c.atLeast) << c.timeout.count();
    EXPECT_LT(took, c.below) << c.timeout.count();
  }
}

TEST(SerialPort, WritesAreAllOrNothingAndZeroBytesWriteNothing) {
  PtyPair pty;
  auto port = OpenStandard(pty.SlavePath());
  ASSERT_NE(port, nullptr);
  const std::uint8_t bytes[] = {'j', 0xF4, 0x01};
  EXPECT_EQ(SerialWrite(port.get(), bytes, 0), 0u);
  EXPECT_EQ(SerialWrite(port.get(), bytes, 3), 3u);
  EXPECT_EQ(pty.Received(), (std::vector<std::uint8_t>{'j', 0xF4, 0x01}));
}

TEST(SerialPort, PurgeAndNewLineSettingsDiscardUnreadInput) {
  PtyPair pty;
  auto port = OpenStandard(pty.SlavePath());
  ASSERT_NE(port, nullptr);
  std::uint8_t byte = 0;
  pty.Send({1, 2, 3});
  ASSERT_EQ(SerialRead(port.get(), &byte, 1), 1u);  // the rest now sits in the station's buffer
  PurgePort(port.get());
  EXPECT_EQ(SerialRead(port.get(), &byte, 1), 0u);

  pty.Send({4, 5});
  std::this_thread::sleep_for(milliseconds(20));
  SetPortParams(port.get(), 9600, 8, 0, 0);
  EXPECT_EQ(SerialRead(port.get(), &byte, 1), 0u);
  pty.Send({6});
  EXPECT_EQ(SerialRead(port.get(), &byte, 1), 1u);
  EXPECT_EQ(byte, 6);
}

TEST(SerialPort, NoPortAndMissingDevices) {
  std::uint8_t byte = 0;
  const auto start = Clock::now();
  EXPECT_EQ(SerialRead(nullptr, &byte, 1), 0u);
  EXPECT_GE(Clock::now() - start, milliseconds(45));  // a wait loop on no port does not spin
  EXPECT_EQ(SerialWrite(nullptr, &byte, 1), 0u);
  PurgePort(nullptr);
  SetPortParams(nullptr, 9600, 8, 0, 0);

  PosixSerialBackend backend;
  std::string error;
  EXPECT_EQ(backend.Open("/nonexistent/ttyS9", error), nullptr);
  EXPECT_NE(error.find("/nonexistent/ttyS9"), std::string::npos);
  char file[] = "/tmp/rz-not-a-tty-XXXXXX";
  const int fd = ::mkstemp(file);
  EXPECT_EQ(backend.Open(file, error), nullptr);
  EXPECT_NE(error.find("не последовательный порт"), std::string::npos);
  ::close(fd);
  ::unlink(file);
}

TEST(SerialPort, SecondOpenOfTheSamePortIsRefusedUntilTheFirstCloses) {
  PtyPair pty;
  auto port = OpenStandard(pty.SlavePath());
  PosixSerialBackend backend;
  std::string error;
  EXPECT_EQ(backend.Open(pty.SlavePath(), error), nullptr);
  EXPECT_NE(error.find("порт занят другой программой"), std::string::npos) << error;

  // Closing clears the exclusive flag, which a pseudo-terminal would otherwise
  // keep and refuse every later open of a user who is not root.
  port.reset();
  const int fd = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(fd, 0);
  int exclusive = -1;
  ASSERT_EQ(::ioctl(fd, TIOCGEXCL, &exclusive), 0);
  EXPECT_EQ(exclusive, 0);
  ::close(fd);
  EXPECT_NE(OpenStandard(pty.SlavePath()), nullptr);
}

TEST(SerialPort, UnsupportedSpeedIsRefusedNotReplaced) {
  PtyPair pty;
  auto port = OpenStandard(pty.SlavePath());
  ASSERT_NE(port, nullptr);
  std::string error;
  EXPECT_FALSE(port->ApplyLineSettings({12345, 8, 0, 0}, error));
  EXPECT_NE(error.find("12345"), std::string::npos);
  EXPECT_TRUE(SetPortParams(port.get(), 57600, 8, 0, 0));
}

TEST(SerialPort, VanishedPeerDoesNotTurnReadsIntoABusyLoop) {
  auto pty = std::make_unique<PtyPair>();
  auto port = OpenStandard(pty->SlavePath());
  ASSERT_NE(port, nullptr);
  std::uint8_t none = 0;
  EXPECT_EQ(SerialRead(port.get(), &none, 1), 0u);
  EXPECT_FALSE(port->Gone());  // silent is not gone
  pty.reset();  // the board's end is gone

  const double cpuBefore = ProcessCpuSeconds();
  const auto start = Clock::now();
  std::uint8_t byte = 0;
  int reads = 0;
  while (Clock::now() - start < milliseconds(1500)) {
    EXPECT_EQ(SerialRead(port.get(), &byte, 1), 0u);
    ++reads;
  }
  const double cpu = ProcessCpuSeconds() - cpuBefore;
  EXPECT_LE(reads, 32);  // every empty read still takes its 50 ms
  EXPECT_LT(cpu, 0.3);
  EXPECT_TRUE(port->Gone());
}

}  // namespace
}  // namespace rz::testing
