// Figures against the simulated board:
//  1. the whole download of a 24576-byte test program, unpaced and paced at the
//     real line rates (against the floor set by the wire);
//  2. ReadSdramConfig exchanges per second, against a minimal raw loop.

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "../common/raw_terminal.h"
#include "boardtests/configuration_commands.h"
#include "child_process.h"
#include "operations/boot_download.h"
#include "operations/station.h"
#include "posix/serial_posix.h"
#include "recording_ui.h"
#include "session/startup.h"
#include "simulated_board.h"

namespace {

using Clock = std::chrono::steady_clock;
using rz::testing::SimulatedBoard;

constexpr std::size_t kProgramSize = 24576;
constexpr int kExchanges = 10000;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

struct Workplace {
  Workplace() {
    std::string pattern = (std::filesystem::temp_directory_path() / "rz-bench-XXXXXX").string();
    dir = ::mkdtemp(pattern.data());
    std::ofstream program(dir + "/" + rz::kTestProgramFileName, std::ios::binary);
    for (std::size_t i = 0; i < kProgramSize; ++i) program.put(static_cast<char>(i * 13));
  }
  ~Workplace() { std::filesystem::remove_all(dir); }
  Workplace(const Workplace&) = delete;
  Workplace& operator=(const Workplace&) = delete;
  std::string dir;
};

// A station on the board's link, with a window that only keeps the journal.
struct BenchStation {
  explicit BenchStation(const Workplace& place) {
    station.portPaths.com1 = place.dir + "/COM1";
    if (!rz::StartStation(station, place.dir) || station.Port() == nullptr) {
      std::fprintf(stderr, "the station could not start on %s\n", station.portPaths.com1.c_str());
      std::exit(1);
    }
  }
  rz::testing::RecordingUi ui;
  rz::SilentSound sound;
  rz::PosixSerialBackend serial;
  rz::Station station{ui, sound, serial};
};

double TimedDownload(bool paced) {
  Workplace place;
  std::vector<std::string> options;
  if (paced) options.push_back("--pace");
  SimulatedBoard board(place.dir + "/COM1", options);
  BenchStation bench(place);
  const auto start = Clock::now();
  const rz::Outcome outcome = rz::DownloadTestProgram(bench.station);
  const double took = Seconds(Clock::now() - start);
  if (outcome != rz::Outcome::Success) {
    std::fprintf(stderr, "download failed (%s)\n", rz::OutcomeName(outcome));
    for (const auto& line : bench.ui.Lines()) std::fprintf(stderr, "%s\n", line.c_str());
    std::exit(1);
  }
  return took;
}

void ExchangeRates(double& stationRate, double& rawRate) {
  Workplace place;
  SimulatedBoard board(place.dir + "/COM1");
  {
    BenchStation bench(place);
    if (rz::DownloadTestProgram(bench.station) != rz::Outcome::Success) {
      std::fprintf(stderr, "download failed\n");
      std::exit(1);
    }
    std::uint32_t word = 0;
    const auto start = Clock::now();
    for (int i = 0; i < kExchanges; ++i) rz::ReadSdramConfig(bench.station, word);
    stationRate = kExchanges / Seconds(Clock::now() - start);
  }
  const int fd = rz::bench::OpenRaw(place.dir + "/COM1");
  const auto start = Clock::now();
  for (int i = 0; i < kExchanges; ++i) {
    const unsigned char request = 's';
    if (::write(fd, &request, 1) != 1) break;
    unsigned char reply[4];
    for (std::size_t got = 0; got < sizeof reply;) {
      const ssize_t n = ::read(fd, reply + got, sizeof reply - got);
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
  }
  rawRate = kExchanges / Seconds(Clock::now() - start);
  ::close(fd);
}

}  // namespace

int main() {
  // The wire alone: 2048 bytes at 9600 baud, then '+', the length and 22528
  // bytes at 115200, 10 bits per byte, plus the 100 ms pause after the switch.
  const double floor = 2048 * 10.0 / 9600 + (5 + 22528) * 10.0 / 115200 + 0.1;
  const double unpaced = TimedDownload(false);
  const double paced = TimedDownload(true);
  std::printf("download of a %zu-byte test program\n", kProgramSize);
  std::printf("  unpaced board          : %8.3f s\n", unpaced);
  std::printf("  board paced at baud    : %8.3f s\n", paced);
  std::printf("  line-rate floor        : %8.3f s\n", floor);
  std::printf("  station overhead       : %8.3f s (%.1f%%)\n", paced - floor, 100.0 * (paced - floor) / floor);

  double station = 0;
  double raw = 0;
  ExchangeRates(station, raw);
  std::printf("%d ReadSdramConfig exchanges back to back (unpaced board)\n", kExchanges);
  std::printf("  station exchanges/s    : %8.0f\n", station);
  std::printf("  raw write+read loop /s : %8.0f\n", raw);
  std::printf("  station / raw          : %8.2f\n", station / raw);
  return 0;
}
