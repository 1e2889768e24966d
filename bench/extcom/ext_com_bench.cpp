// Cycles per second of the external channel test against the unpaced
// simulated board, with 16 and 32 channels: with the table's blinking pauses
// (50 ms per row, as the test draws them), and with a sleeper that returns at
// once, which leaves the cost of the exchanges and of drawing the table into a
// window that does nothing, the journal the tests record, and a terminal
// (live drawing into /dev/null).

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "../common/workplace.h"
#include "child_process.h"
#include "cli_ui.h"
#include "operations/control_handlers.h"
#include "operations/operation_table.h"
#include "operations/station.h"
#include "posix/serial_posix.h"
#include "recording_ui.h"
#include "session/startup.h"
#include "simulated_board.h"

namespace {

using Clock = std::chrono::steady_clock;

// A window that draws nothing: what is left is the exchanges.
class NullUi final : public rz::StationUi {
 public:
  void AddJournalLine(int, const std::string&) override {}
  void SetJournalLine(int, const std::string&) override {}
  void InsertJournalLine(int, const std::string&) override {}
  void DeleteJournalLine(int) override {}
  int JournalLineCount() override { return 0; }
  std::string JournalLineText(int) override { return {}; }
  void SetStatusText(const std::string&) override {}
  void SetOperationControlsEnabled(bool) override {}
  void SetSelectorEnabled(rz::Selector, bool) override {}
  void PostNextControlRequests(int) override {}
  void FocusJournal() override {}
  int SelectorIndex(rz::Selector) override { return 0; }
  void SetSelectorIndex(rz::Selector, int) override {}
  bool EthernetSwitch() override { return false; }
  void SetEthernetSwitch(bool) override {}
  void ShowError(const rz::MessageBox& box) override { std::fprintf(stderr, "%s\n", box.text.c_str()); }
  rz::Outcome RunDebugConsole(rz::Station&, const rz::DebugRequest*) override { return rz::Outcome::Failed; }
  std::optional<std::string> AskOpenFile(const std::string&) override { return std::nullopt; }
  std::optional<std::string> AskSaveFile(const std::string&) override { return std::nullopt; }
  std::uint32_t AskByteCount() override { return 0; }
  std::optional<std::string> RunIpAddressDialog(const std::string&) override { return std::nullopt; }
};

using rz::bench::Workplace;

// Runs `cycles` cycles with `channels` channels; returns cycles per second.
double CyclesPerSecond(rz::StationUi& ui, int channels, int cycles, bool blink) {
  Workplace place;
  rz::testing::SimulatedBoard board(place.dir + "/COM1");
  rz::SilentSound sound;
  rz::PosixSerialBackend serial;
  rz::Station station(ui, sound, serial);
  station.portPaths.com1 = place.dir + "/COM1";
  if (!rz::StartStation(station, place.dir) || rz::PressButton(station, rz::Button::Download) != rz::StartResult::Started ||
      station.runner.Wait() != rz::Outcome::Success) {
    std::fprintf(stderr, "the board could not be loaded\n");
    std::exit(1);
  }
  if (!blink) station.sleeper = [](std::chrono::milliseconds) {};
  const rz::OperationRow* row = nullptr;
  rz::OperationArgs args;
  std::string error;
  rz::ParseOperationWord("ext-com:channels=" + std::to_string(channels) + ",cycles=" + std::to_string(cycles), row,
                         args, error);
  const auto start = Clock::now();
  rz::StartOperation(station, *row, &args);
  if (station.runner.Wait() != rz::Outcome::Success) {
    std::fprintf(stderr, "the test failed\n");
    std::exit(1);
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  rz::StopStation(station);
  return cycles / seconds;
}

// The best of three runs: the machine is shared, and the best run is the one
// least disturbed by others.
template <typename MakeUi>
double Best(MakeUi makeUi, int channels, int cycles) {
  double best = 0;
  for (int run = 0; run < 3; ++run) {
    auto ui = makeUi();
    best = std::max(best, CyclesPerSecond(*ui, channels, cycles, false));
  }
  return best;
}

}  // namespace

int main() {
  std::printf("external COM test, cycles per second against the unpaced board\n");
  std::printf("  %-32s %10s %10s\n", "", "16 ch", "32 ch");
  {
    NullUi ui;
    std::printf("  %-32s %10.2f %10.2f\n", "with the 50 ms row blinks", CyclesPerSecond(ui, 16, 3, true),
                CyclesPerSecond(ui, 32, 2, true));
  }
  constexpr int kFastCycles = 300;
  auto nullUi = [] { return std::make_unique<NullUi>(); };
  auto recorded = [] { return std::make_unique<rz::testing::RecordingUi>(); };
  std::FILE* sink = std::fopen("/dev/null", "w");
  auto terminal = [sink] { return std::make_unique<rz::cli::CliUi>(sink, stderr, true); };
  std::printf("  %-32s %10.1f %10.1f\n", "no sleeps, window draws nothing", Best(nullUi, 16, kFastCycles),
              Best(nullUi, 32, kFastCycles));
  std::printf("  %-32s %10.1f %10.1f\n", "no sleeps, recorded journal", Best(recorded, 16, kFastCycles),
              Best(recorded, 32, kFastCycles));
  std::printf("  %-32s %10.1f %10.1f\n", "no sleeps, terminal (live)", Best(terminal, 16, kFastCycles),
              Best(terminal, 32, kFastCycles));
  std::fclose(sink);
  std::printf("  (no-sleep figures: best of 3 runs of %d cycles)\n", kFastCycles);
  std::printf("  (a cycle is one 'n' of 33 bytes and one 2-byte test per channel with its 1-byte reply)\n");
  return 0;
}
