// Sweeps of the station's Flash transfers over UDP on loopback:
//  1. the board's reply time (0, 0.5, 1, 2 ms): a raw stop-and-wait loop of
//     the same datagrams against a peer that answers after that time, beside
//     the station's write (without and with its read-back) and read of 1 MB
//     against the simulator answering after the same time;
//  2. lost and repeated datagrams at 1 ms: each transfer's time beside what
//     the resend waits of its lost requests account for.
// The station runs its operations in this process, as the command line does.

#include "udp_sweep.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "../common/workplace.h"
#include "app/ip_address.h"
#include "link/udp_channel.h"
#include "operations/boot_download.h"
#include "operations/operation_table.h"
#include "operations/station.h"
#include "posix/serial_posix.h"
#include "posix/udp_posix.h"
#include "recording_ui.h"
#include "session/startup.h"
#include "simulated_board.h"

namespace rz::bench {
namespace {

using Clock = std::chrono::steady_clock;
using Address = std::array<std::uint8_t, 4>;

constexpr std::size_t kBytes = 1 << 20;  // 2048 pieces
constexpr int kPieces = static_cast<int>(kBytes / 512);
const Address kStation = {127, 0, 78, 1};
const Address kBoard = {127, 0, 78, 2};

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

sockaddr_in Sockaddr(const Address& address) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(kUdpPort);
  std::memcpy(&sa.sin_addr.s_addr, address.data(), 4);
  return sa;
}

int Bound(const Address& address) {
  if (address[0] != 127) std::exit(1);  // loopback only
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  const sockaddr_in sa = Sockaddr(address);
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) {
    std::fprintf(stderr, "cannot bind %s\n", FormatIpv4(address).c_str());
    std::exit(1);
  }
  return fd;
}

// Answers each request after `delay`, one at a time as a board does: 520
// bytes to a read ('R'), 8 bytes to anything else.
class PacedPeer {
 public:
  explicit PacedPeer(std::chrono::microseconds delay)
      : fd_(Bound(kBoard)), delay_(delay), thread_([this] { Run(); }) {}
  ~PacedPeer() {
    stop_ = true;
    thread_.join();
    ::close(fd_);
  }

 private:
  void Run() {
    std::vector<std::uint8_t> buffer(2048);
    std::vector<std::uint8_t> reply(520, 0xA5);
    std::copy_n("VELUMARQ", 8, reply.begin());
    while (!stop_) {
      pollfd pfd{fd_, POLLIN, 0};
      if (::poll(&pfd, 1, 50) <= 0) continue;
      sockaddr_in from{};
      socklen_t length = sizeof from;
      const ssize_t n =
          ::recvfrom(fd_, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&from), &length);
      if (n < 8) continue;
      std::this_thread::sleep_until(Clock::now() + delay_);
      const std::size_t size = buffer[7] == 'R' ? 520 : 8;
      ::sendto(fd_, reply.data(), size, 0, reinterpret_cast<const sockaddr*>(&from), length);
    }
  }
  int fd_;
  std::chrono::microseconds delay_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// Seconds of `kPieces` stop-and-wait exchanges of write-sized or read-sized
// datagrams against a peer answering after `delay`.
double RawSeconds(std::chrono::microseconds delay, bool read) {
  PacedPeer peer(delay);
  const int fd = Bound(kStation);
  const sockaddr_in to = Sockaddr(kBoard);
  std::vector<std::uint8_t> request(read ? 16 : 528, 0x5A);
  std::copy_n("VELUMAR", 7, request.begin());
  request[7] = read ? 'R' : 'W';
  std::uint8_t reply[2000];
  const auto start = Clock::now();
  for (int i = 0; i < kPieces; ++i) {
    ::sendto(fd, request.data(), request.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    pollfd pfd{fd, POLLIN, 0};
    ::poll(&pfd, 1, 2000);
    ::recv(fd, reply, sizeof reply, 0);
  }
  const double seconds = Seconds(Clock::now() - start);
  ::close(fd);
  return seconds;
}

// A station with the program downloaded and Ethernet on, against a simulated
// board started with `options`.
class SimStation {
 public:
  explicit SimStation(const std::vector<std::string>& options) : board_(place_.dir + "/COM1", options) {
    station_.portPaths.com1 = place_.dir + "/COM1";
    station_.udp.backend = &udp_;
    station_.udp.localAddress = kStation;
    station_.udp.storedAddress = kBoard;
    station_.flags.flashServiceMode.store(1);
    OperationArgs args;
    args.ethernetOn = true;
    args.ipAddressText = FormatIpv4(kBoard);
    if (!StartStation(station_, place_.dir) || DownloadTestProgram(station_) != Outcome::Success ||
        StartOperation(station_, *FindOperationRow("ethernet"), &args) != StartResult::Started ||
        station_.runner.Wait() != Outcome::Success) {
      std::fprintf(stderr, "the station could not reach the simulated board over UDP\n");
      std::exit(1);
    }
    std::vector<char> image(kBytes);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<char>((i * 131) >> 3);
    std::ofstream(place_.dir + "/image.bin", std::ios::binary).write(image.data(), static_cast<std::streamsize>(kBytes));
  }
  Station& station() { return station_; }
  void SetReplyWait(std::chrono::milliseconds wait) { station_.udp.replyWait = wait; }

  // Seconds of one write (with or without its read-back) or read of 1 MB;
  // exits when it fails.
  double Write(bool verify) {
    station_.verifyUdpWrites = verify;
    OperationArgs args;
    args.file = place_.dir + "/image.bin";
    return Timed("write", args);
  }
  double Read() {
    OperationArgs args;
    args.file = place_.dir + "/back.bin";
    args.readCount = static_cast<std::uint32_t>(kBytes);
    return Timed("read", args);
  }

 private:
  double Timed(const char* word, OperationArgs& args) {
    const auto start = Clock::now();
    if (StartOperation(station_, *FindOperationRow(word), &args) != StartResult::Started ||
        station_.runner.Wait() != Outcome::Success) {
      std::fprintf(stderr, "%s failed: %s\n", word, ui_.Lines().empty() ? "" : ui_.Lines().back().c_str());
      std::exit(1);
    }
    return Seconds(Clock::now() - start);
  }

  Workplace place_;
  testing::SimulatedBoard board_;
  testing::RecordingUi ui_;
  SilentSound sound_;
  PosixSerialBackend serial_;
  PosixDatagramBackend udp_;
  Station station_{ui_, sound_, serial_};
};

std::string DelayText(std::chrono::microseconds delay) {
  char text[16];
  std::snprintf(text, sizeof text, "%g", static_cast<double>(delay.count()) / 1000.0);
  return text;
}

double Percent(double station, double raw) { return 100.0 * (station / raw - 1.0); }

}  // namespace

void ReplyTimeSweep() {
  std::printf("\n1 MB (%d pieces) by the board's reply time: raw stop-and-wait loop, the station\n", kPieces);
  std::printf("  reply ms   raw write   raw read |  write   (+raw)  write+check |   read   (+raw) | check over read\n");
  for (const int us : {0, 500, 1000, 2000}) {
    const std::chrono::microseconds delay(us);
    const double rawWrite = std::min(RawSeconds(delay, false), RawSeconds(delay, false));
    const double rawRead = std::min(RawSeconds(delay, true), RawSeconds(delay, true));
    SimStation sim({"--udp-delay", DelayText(delay)});
    const double write = std::min(sim.Write(false), sim.Write(false));
    const double checked = std::min(sim.Write(true), sim.Write(true));
    const double read = std::min(sim.Read(), sim.Read());
    // The read-back's own cost (write+check less write) against a read of the same bytes.
    std::printf("  %8s %9.2f s %8.2f s | %6.2f s %+6.1f%% %9.2f s  | %6.2f s %+6.1f%% | %+6.1f%%\n",
                DelayText(delay).c_str(), rawWrite, rawRead, write, Percent(write, rawWrite), checked, read,
                Percent(read, rawRead), Percent(checked - write, read));
  }
}

void FaultSweep() {
  constexpr std::chrono::milliseconds kWait{20};
  // A lost request costs three waits, the pause before each waiting suffix
  // and the one before the repeating suffix.
  const double perLoss = Seconds(3 * kWait + 4 * kSuffixPause);
  std::printf("\n1 MB at a reply time of 1 ms with faults (reply wait shortened to %lld ms; a lost\n"
              "request costs %.2f s of waits): time, lost requests, and the excess over a clean\n"
              "run plus those waits\n",
              static_cast<long long>(kWait.count()), perLoss);
  double cleanWrite = 0;
  double cleanChecked = 0;
  double cleanRead = 0;
  {
    SimStation clean({"--udp-delay", "1"});  // gone before the next one binds the address
    cleanWrite = clean.Write(false);
    cleanChecked = clean.Write(true);
    cleanRead = clean.Read();
  }
  std::printf("  %-26s write %6.2f s  write+check %6.2f s  read %6.2f s\n", "clean", cleanWrite, cleanChecked,
              cleanRead);
  struct Row {
    const char* name;
    std::vector<std::string> options;
  };
  const Row rows[] = {
      {"1% of requests lost", {"--udp-delay", "1", "--udp-drop-every", "100"}},
      {"every 10th reply repeated", {"--udp-delay", "1", "--udp-duplicate", "10", "--udp-duplicate-delay", "1"}},
      {"every reply repeated 5 ms", {"--udp-delay", "1", "--udp-duplicate", "1", "--udp-duplicate-delay", "5"}},
  };
  for (const Row& row : rows) {
    SimStation sim(row.options);
    sim.SetReplyWait(kWait);
    Station& station = sim.station();
    const auto measure = [&](double seconds, double cleanSeconds, std::uint64_t resendsBefore) {
      const auto lost = station.udp.resends - resendsBefore;
      const double expected = cleanSeconds + static_cast<double>(lost) * perLoss;
      std::printf(" %6.2f s (%3llu lost, %+5.1f%%)", seconds, static_cast<unsigned long long>(lost),
                  Percent(seconds, expected));
    };
    std::printf("  %-26s", row.name);
    std::uint64_t before = station.udp.resends;
    measure(sim.Write(false), cleanWrite, before);
    before = station.udp.resends;
    measure(sim.Write(true), cleanChecked, before);
    before = station.udp.resends;
    measure(sim.Read(), cleanRead, before);
    std::printf("\n");
  }
  std::printf("  (columns: write, write+check, read)\n");
}

}  // namespace rz::bench
