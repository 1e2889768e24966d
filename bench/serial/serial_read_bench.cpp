// One-byte SerialRead calls per second over a pseudo-terminal whose far end
// streams data, against the same loop with one read(2) per byte.

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "link/serial_channel.h"
#include "posix/serial_posix.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kRunTime = std::chrono::seconds(2);

// The far end: writes a pattern into the master as fast as the pty takes it.
class StreamingPeer {
 public:
  explicit StreamingPeer(int master) : master_(master), thread_([this] { Run(); }) {}
  ~StreamingPeer() {
    stop_ = true;
    thread_.join();
  }
  StreamingPeer(const StreamingPeer&) = delete;
  StreamingPeer& operator=(const StreamingPeer&) = delete;

 private:
  void Run() {
    unsigned char chunk[4096];
    for (std::size_t i = 0; i < sizeof chunk; ++i) chunk[i] = static_cast<unsigned char>(i);
    while (!stop_) {
      if (::write(master_, chunk, sizeof chunk) < 0) std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
  }
  int master_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

int OpenMaster(std::string& slavePath) {
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
  ::grantpt(master);
  ::unlockpt(master);
  termios tio{};
  ::tcgetattr(master, &tio);
  ::cfmakeraw(&tio);
  ::tcsetattr(master, TCSANOW, &tio);
  slavePath = ::ptsname(master);
  return master;
}

double StationReadsPerSecond() {
  std::string slave;
  const int master = OpenMaster(slave);
  rz::PosixSerialBackend backend;
  std::string error;
  auto port = backend.Open(slave, error);
  if (!port) {
    std::fprintf(stderr, "cannot open %s: %s\n", slave.c_str(), error.c_str());
    std::exit(1);
  }
  rz::SetPortParams(port.get(), 115200, 8, 0, 0);
  StreamingPeer peer(master);
  long reads = 0;
  std::uint8_t byte = 0;
  const auto end = Clock::now() + kRunTime;
  while (Clock::now() < end) {
    for (int i = 0; i < 1000; ++i) reads += static_cast<long>(rz::SerialRead(port.get(), &byte, 1));
  }
  ::close(master);
  return static_cast<double>(reads) / std::chrono::duration<double>(kRunTime).count();
}

double RawReadsPerSecond() {
  std::string slave;
  const int master = OpenMaster(slave);
  const int fd = ::open(slave.c_str(), O_RDWR | O_NOCTTY);
  termios tio{};
  ::tcgetattr(fd, &tio);
  ::cfmakeraw(&tio);
  tio.c_cc[VMIN] = 1;
  tio.c_cc[VTIME] = 0;
  ::tcsetattr(fd, TCSANOW, &tio);
  StreamingPeer peer(master);
  long reads = 0;
  std::uint8_t byte = 0;
  const auto end = Clock::now() + kRunTime;
  while (Clock::now() < end) {
    for (int i = 0; i < 1000; ++i) reads += ::read(fd, &byte, 1) == 1 ? 1 : 0;
  }
  ::close(fd);
  ::close(master);
  return static_cast<double>(reads) / std::chrono::duration<double>(kRunTime).count();
}

}  // namespace

int main() {
  const double station = StationReadsPerSecond();
  const double raw = RawReadsPerSecond();
  std::printf("one-byte reads per second over a pseudo-terminal, peer streaming\n");
  std::printf("  SerialRead (buffered)  : %12.0f\n", station);
  std::printf("  read(2) per byte       : %12.0f\n", raw);
  std::printf("  ratio                  : %12.1fx\n", station / raw);
  return 0;
}
