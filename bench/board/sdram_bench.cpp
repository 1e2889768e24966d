// The SDRAM test of a 32 MB board against the simulated board:
//  1. unpaced: the test's wall time without its own pauses (recorded, not
//     slept) and its block commands per second, against a raw loop of the same
//     requests on the bare terminal;
//  2. paced at 115200 baud: the station's overhead over the time the bytes
//     need on the wire.

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "../common/raw_terminal.h"
#include "boardtests/sdram_test.h"
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

constexpr std::uint32_t kTestSize = 32u << 20;
constexpr int kBlocks = kTestSize / rz::kSdramBlockBytes;
constexpr int kCommands = 4 * kBlocks;  // two passes of a write and a read phase
constexpr double kBitsPerByte = 10;
constexpr double kBaud = 115200;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

struct Workplace {
  Workplace() {
    std::string pattern = (std::filesystem::temp_directory_path() / "rz-bench-XXXXXX").string();
    dir = ::mkdtemp(pattern.data());
    std::ofstream program(dir + "/" + rz::kTestProgramFileName, std::ios::binary);
    for (int i = 0; i < 4096; ++i) program.put(static_cast<char>(i * 13));
  }
  ~Workplace() { std::filesystem::remove_all(dir); }
  Workplace(const Workplace&) = delete;
  Workplace& operator=(const Workplace&) = delete;
  std::string dir;
};

struct Run {
  double wall = 0;    // seconds, the pauses not slept
  double paused = 0;  // seconds of pauses the test asked for
  double rawRate = 0;
};

// The same 'm' requests as the test, each awaited, without the station.
double RawLoop(const std::string& path) {
  const int fd = rz::bench::OpenRaw(path);
  const auto start = Clock::now();
  for (int i = 0; i < kCommands; ++i) {
    const std::uint32_t offset = static_cast<std::uint32_t>(i % kBlocks) * rz::kSdramBlockBytes;
    const std::uint32_t fields[3] = {offset, rz::kSdramBlockBytes, offset >> 20};
    unsigned char request[14] = {'m'};
    for (int f = 0; f < 3; ++f) {
      for (int k = 0; k < 4; ++k) request[1 + 4 * f + k] = static_cast<unsigned char>(fields[f] >> (8 * k));
    }
    request[13] = static_cast<unsigned char>(i / kBlocks);
    unsigned char status = 0;
    if (::write(fd, request, sizeof request) != sizeof request || ::read(fd, &status, 1) != 1 || status != 'Q') {
      std::fprintf(stderr, "raw loop: no 'Q' for request %d\n", i);
      std::exit(1);
    }
  }
  const double took = Seconds(Clock::now() - start);
  ::close(fd);
  return kCommands / took;
}

Run SdramRun(bool paced) {
  Workplace place;
  std::vector<std::string> options{"--sdram-config", "0x142"};
  if (paced) options.push_back("--pace");
  SimulatedBoard board(place.dir + "/COM1", options);
  Run run;
  {
    rz::testing::RecordingUi ui;
    rz::SilentSound sound;
    rz::PosixSerialBackend serial;
    rz::Station station{ui, sound, serial};
    station.portPaths.com1 = place.dir + "/COM1";
    if (!rz::StartStation(station, place.dir) || rz::DownloadTestProgram(station) != rz::Outcome::Success) {
      std::fprintf(stderr, "the station could not start and download on %s\n", station.portPaths.com1.c_str());
      std::exit(1);
    }
    station.sleeper = [&run](std::chrono::milliseconds d) { run.paused += std::chrono::duration<double>(d).count(); };
    const auto start = Clock::now();
    const rz::Outcome outcome = rz::SdramTest(station);
    run.wall = Seconds(Clock::now() - start);
    if (outcome != rz::Outcome::Success) {
      std::fprintf(stderr, "the SDRAM test failed (%s)\n", rz::OutcomeName(outcome));
      for (const auto& line : ui.Lines()) std::fprintf(stderr, "%s\n", line.c_str());
      std::exit(1);
    }
  }
  run.rawRate = RawLoop(place.dir + "/COM1");
  return run;
}

}  // namespace

// The median of three runs of each kind: the machine is shared.
Run MedianRun(bool paced) {
  std::vector<Run> runs;
  for (int i = 0; i < 3; ++i) runs.push_back(SdramRun(paced));
  const auto median = [&runs](double Run::*field) {
    std::vector<double> values;
    for (const Run& run : runs) values.push_back(run.*field);
    std::sort(values.begin(), values.end());
    return values[1];
  };
  return {median(&Run::wall), median(&Run::paused), median(&Run::rawRate)};
}

int main() {
  const Run unpaced = MedianRun(false);
  std::printf("SDRAM test of 32 MB: %d block commands ('m', 14 bytes out, 1 back), median of 3 runs\n", kCommands);
  std::printf("  pauses asked for (not slept) : %8.3f s\n", unpaced.paused);
  std::printf("  unpaced board, wall time     : %8.3f s\n", unpaced.wall);
  std::printf("  station commands/s           : %8.0f\n", kCommands / unpaced.wall);
  std::printf("  raw write+read loop /s       : %8.0f\n", unpaced.rawRate);
  std::printf("  station / raw                : %8.2f\n", kCommands / unpaced.wall / unpaced.rawRate);

  // On the wire: 's' and its 4-byte word, then 15 bytes per block command.
  const double wire = ((1 + 4) + kCommands * (14 + 1)) * kBitsPerByte / kBaud;
  const Run paced = MedianRun(true);
  std::printf("  board paced at 115200 baud   : %8.3f s\n", paced.wall);
  const double pacedRaw = kCommands / paced.rawRate;
  std::printf("  line-rate floor              : %8.3f s\n", wire);
  std::printf("  raw loop, paced board        : %8.3f s\n", pacedRaw);
  std::printf("  over the floor               : %8.3f s (%.2f%%)\n", paced.wall - wire,
              100.0 * (paced.wall - wire) / wire);
  std::printf("  station over the raw loop    : %8.3f s (%.2f%%)\n", paced.wall - pacedRaw,
              100.0 * (paced.wall - pacedRaw) / pacedRaw);
  return 0;
}
