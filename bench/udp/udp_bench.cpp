// Figures of the UDP channel on loopback, in one run:
//  1. a raw loop of 528-byte requests and 8-byte replies between two sockets;
//  2. WriteFlashBlockUdp exchanges (512 data bytes) against the same raw peer;
//  3. 8 MB written and read back with WriteFlashBlockUdp / ReadFlashBlockUdp
//     against the simulated board (its Flash programmed and checked);
//  4. rzstation-cli writing a signed 8 MB image and reading 8 MB back over
//     UDP (write= and read= with the Ethernet switch on) against the simulator;
//  5. the sweeps of udp_sweep.cpp: reply times, lost and repeated datagrams.
// Every address is a loopback one; the program refuses to run otherwise.

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
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "../common/workplace.h"
#include "app/ip_address.h"
#include "child_process.h"
#include "link/exchange.h"
#include "link/udp_channel.h"
#include "link/udp_commands.h"
#include "operations/boot_download.h"
#include "operations/operation_table.h"
#include "operations/station.h"
#include "posix/serial_posix.h"
#include "posix/udp_posix.h"
#include "recording_ui.h"
#include "session/startup.h"
#include "simulated_board.h"
#include "udp_sweep.h"

namespace {

using Clock = std::chrono::steady_clock;
using Address = std::array<std::uint8_t, 4>;

constexpr int kExchanges = 16384;  // 8 MB in pieces of 512
constexpr std::size_t kRequest = 528;
constexpr std::size_t kReply = 8;
constexpr int kRounds = 3;

const Address kStation = {127, 0, 77, 1};
const Address kBoard = {127, 0, 77, 2};

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

int BoundSocket(const Address& address) {
  if (address[0] != 127) {
    std::fprintf(stderr, "refusing the non-loopback address %s\n", rz::FormatIpv4(address).c_str());
    std::exit(1);
  }
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(rz::kUdpPort);
  std::memcpy(&sa.sin_addr.s_addr, address.data(), 4);
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) {
    std::fprintf(stderr, "cannot bind %s: %s\n", rz::FormatIpv4(address).c_str(), std::strerror(errno));
    std::exit(1);
  }
  return fd;
}

// Answers every datagram with an 8-byte reply until stopped.
class EchoPeer {
 public:
  explicit EchoPeer(const Address& address) : fd_(BoundSocket(address)), thread_([this] { Run(); }) {}
  ~EchoPeer() {
    stop_ = true;
    thread_.join();
    ::close(fd_);
  }

 private:
  void Run() {
    std::vector<std::uint8_t> buffer(4096);
    const std::uint8_t reply[kReply] = {'V', 'E', 'L', 'U', 'M', 'A', 'R', 'Q'};
    while (!stop_) {
      pollfd pfd{fd_, POLLIN, 0};
      if (::poll(&pfd, 1, 50) <= 0) continue;
      sockaddr_in from{};
      socklen_t length = sizeof from;
      if (::recvfrom(fd_, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&from), &length) < 0) continue;
      ::sendto(fd_, reply, sizeof reply, 0, reinterpret_cast<const sockaddr*>(&from), length);
    }
  }
  int fd_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// The minimal loop: send, poll, receive.
double RawRate() {
  EchoPeer peer(kBoard);
  const int fd = BoundSocket(kStation);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(rz::kUdpPort);
  std::memcpy(&to.sin_addr.s_addr, kBoard.data(), 4);
  std::vector<std::uint8_t> request(kRequest, 0x5A);
  std::uint8_t reply[2000];
  const auto start = Clock::now();
  for (int i = 0; i < kExchanges; ++i) {
    ::sendto(fd, request.data(), request.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    pollfd pfd{fd, POLLIN, 0};
    ::poll(&pfd, 1, 2000);
    ::recv(fd, reply, sizeof reply, 0);
  }
  const double rate = kExchanges / Seconds(Clock::now() - start);
  ::close(fd);
  return rate;
}

using rz::bench::Workplace;

// A station bound to the loopback station address, without a port.
struct BenchStation {
  explicit BenchStation(const Workplace& place, const std::string& com1 = "") {
    station.portPaths.com1 = com1.empty() ? place.dir + "/none" : com1;
    station.udp.backend = &udp;
    station.udp.localAddress = kStation;
    station.udp.storedAddress = kBoard;
    if (!rz::StartStation(station, place.dir) || !station.udp.socket) {
      std::fprintf(stderr, "the station could not start with a socket\n");
      std::exit(1);
    }
  }
  rz::testing::RecordingUi ui;
  rz::SilentSound sound;
  rz::PosixSerialBackend serial;
  rz::PosixDatagramBackend udp;
  rz::Station station{ui, sound, serial};
};

double StationWriteRate(BenchStation& bench) {
  const std::vector<std::uint8_t> piece(rz::kUdpPieceBytes, 0x00);
  const auto start = Clock::now();
  for (int i = 0; i < kExchanges; ++i) {
    if (rz::WriteFlashBlockUdp(bench.station, static_cast<std::uint32_t>(i) * 512, piece) != rz::kExchangeOk) {
      std::fprintf(stderr, "write %d failed\n", i);
      std::exit(1);
    }
  }
  return kExchanges / Seconds(Clock::now() - start);
}

// Seconds that one rzstation-cli run against a fresh simulated board takes:
// the program download, the switch on, then `operations`.
double CliSeconds(const Workplace& place, const std::vector<std::string>& operations) {
  rz::testing::SimulatedBoard board(place.dir + "/COM1");
  std::vector<std::string> args{RZ_CLI_PATH, "--workdir", place.dir, "--com1", place.dir + "/COM1", "--no-history",
                                "--local-address", rz::FormatIpv4(kStation), "download",
                                "ethernet=on:" + rz::FormatIpv4(kBoard)};
  args.insert(args.end(), operations.begin(), operations.end());
  const auto start = Clock::now();
  const rz::testing::ProcessResult result = rz::testing::ChildProcess(args).Wait();
  const double seconds = Seconds(Clock::now() - start);
  if (result.exitCode != 0) {
    std::fprintf(stderr, "rzstation-cli failed:\n%s%s", result.out.c_str(), result.err.c_str());
    std::exit(1);
  }
  return seconds;
}

// The command line's 8 MB write and read: each run's time minus that of a run
// that only downloads and switches on.
void CliTransferRates(double rawRate) {
  Workplace place;
  std::vector<std::uint8_t> file(4 + static_cast<std::size_t>(kExchanges) * 512 + 1);
  std::copy_n("VESK", 4, file.begin());
  std::uint8_t x = 0;
  for (std::size_t i = 0; i + 1 < file.size(); ++i) {
    if (i >= 4) file[i] = static_cast<std::uint8_t>((i * 131) >> 3);
    x ^= file[i];
  }
  file.back() = x;
  const std::string image = place.dir + "/image.bin";
  const std::string back = place.dir + "/back.bin";
  std::ofstream(image, std::ios::binary).write(reinterpret_cast<const char*>(file.data()),
                                               static_cast<std::streamsize>(file.size()));
  std::vector<double> writes, checkedWrites, reads;
  bool same = true;
  for (int round = 0; round < kRounds; ++round) {
    const double base = CliSeconds(place, {});
    const double written = CliSeconds(place, {"--no-verify", "write=" + image});
    const double checked = CliSeconds(place, {"write=" + image});
    const double both = CliSeconds(place, {"--no-verify", "write=" + image, "read=" + back + ":8388608"});
    writes.push_back(kExchanges / std::max(written - base, 1e-3));
    checkedWrites.push_back(checked - base);
    reads.push_back(kExchanges / std::max(both - written, 1e-3));
    std::ifstream in(back, std::ios::binary);
    const std::vector<char> got{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    same = same && got.size() + 5 == file.size() &&
           std::equal(got.begin(), got.end(), file.begin() + 4,
                      [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
  }
  std::printf("  rzstation-cli write= --no-verify /s: %7.0f (%.0f%% of raw; 8 MB in %.2f s)\n", Median(writes),
              100.0 * Median(writes) / rawRate, kExchanges / Median(writes));
  std::printf("  rzstation-cli write= read back     : 8 MB in %.2f s\n", Median(checkedWrites));
  std::printf("  rzstation-cli read=, 8 MB /s      : %8.0f (%.0f%% of raw; 8 MB in %.2f s)\n", Median(reads),
              100.0 * Median(reads) / rawRate, kExchanges / Median(reads));
  std::printf("  rzstation-cli read back equal     : %s\n", same ? "yes" : "NO");
  if (!same) std::exit(1);
}

}  // namespace

int main() {
  std::vector<double> raw, station, simWrite, simRead;
  {
    Workplace place;
    for (int round = 0; round < kRounds; ++round) {
      raw.push_back(RawRate());
      EchoPeer peer(kBoard);
      BenchStation bench(place);
      station.push_back(StationWriteRate(bench));
    }
  }
  bool sameData = true;
  {
    Workplace place;
    rz::testing::SimulatedBoard board(place.dir + "/COM1");
    BenchStation bench(place, place.dir + "/COM1");
    if (rz::DownloadTestProgram(bench.station) != rz::Outcome::Success) {
      std::fprintf(stderr, "download failed\n");
      return 1;
    }
    rz::OperationArgs args;
    args.ethernetOn = true;
    args.ipAddressText = rz::FormatIpv4(kBoard);
    rz::StartOperation(bench.station, *rz::FindOperationRow("ethernet"), &args);
    if (bench.station.runner.Wait() != rz::Outcome::Success) {
      std::fprintf(stderr, "switching Ethernet on failed\n");
      return 1;
    }
    std::vector<std::uint8_t> image(static_cast<std::size_t>(kExchanges) * 512);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>((i * 131) >> 3);
    for (int round = 0; round < kRounds; ++round) {
      for (std::uint32_t block = 0; block < 0x800000; block += block < 0x20000 ? 0x4000 : 0x20000) {
        rz::EraseFlashBlockUdp(bench.station, block);
      }
      auto start = Clock::now();
      for (int i = 0; i < kExchanges; ++i) {
        const std::span<const std::uint8_t> piece(image.data() + static_cast<std::size_t>(i) * 512, 512);
        if (rz::WriteFlashBlockUdp(bench.station, static_cast<std::uint32_t>(i) * 512, piece) != rz::kExchangeOk) {
          std::fprintf(stderr, "write %d failed\n", i);
          return 1;
        }
      }
      simWrite.push_back(kExchanges / Seconds(Clock::now() - start));
      std::vector<std::uint8_t> back(image.size());
      start = Clock::now();
      for (int i = 0; i < kExchanges; ++i) {
        if (rz::ReadFlashBlockUdp(bench.station, static_cast<std::uint32_t>(i) * 512, 512,
                                  back.data() + static_cast<std::size_t>(i) * 512) != rz::kExchangeOk) {
          std::fprintf(stderr, "read %d failed\n", i);
          return 1;
        }
      }
      simRead.push_back(kExchanges / Seconds(Clock::now() - start));
      sameData = sameData && back == image;
    }
  }
  const double rawRate = Median(raw);
  std::printf("%d exchanges on loopback UDP, median of %d\n", kExchanges, kRounds);
  std::printf("  raw loop 528 B + 8 B reply /s     : %8.0f\n", rawRate);
  std::printf("  WriteFlashBlockUdp, raw peer /s   : %8.0f (%.0f%% of raw)\n", Median(station),
              100.0 * Median(station) / rawRate);
  std::printf("  WriteFlashBlockUdp, simulator /s  : %8.0f (%.0f%% of raw; 8 MB in %.2f s)\n", Median(simWrite),
              100.0 * Median(simWrite) / rawRate, kExchanges / Median(simWrite));
  std::printf("  ReadFlashBlockUdp, simulator /s   : %8.0f (%.0f%% of raw; 8 MB in %.2f s)\n", Median(simRead),
              100.0 * Median(simRead) / rawRate, kExchanges / Median(simRead));
  std::printf("  8 MB read back equal to the image : %s\n", sameData ? "yes" : "NO");
  CliTransferRates(rawRate);
  rz::bench::ReplyTimeSweep();
  rz::bench::FaultSweep();
  return sameData ? 0 : 1;
}
