#include "boardtests/sdram_test.h"

#include <chrono>
#include <cstdio>
#include <initializer_list>
#include <string>

#include "app/measurement.h"
#include "app/worker_frame.h"
#include "boardtests/board_test_texts.h"
#include "boardtests/configuration_commands.h"
#include "boardtests/test_pause.h"
#include "context/station_context.h"
#include "link/exchange.h"

namespace rz {
namespace {

constexpr std::uint32_t kDensityMask = 0x060;
constexpr std::uint32_t kDensity64Mbit = 0x020;
constexpr std::uint32_t kDensity128Mbit = 0x040;
constexpr std::uint32_t kWidthMask = 0x180;
constexpr std::uint32_t kWidth16 = 0x100;
constexpr std::uint32_t kMegabyte = 1u << 20;

constexpr int kRefreshSeconds = 10;
constexpr std::chrono::milliseconds kRefreshStep{1000};
// Lets the operator see each error before the next block is compared.
constexpr std::chrono::milliseconds kAfterError{250};

std::string Hex(std::uint32_t value, int digits) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%0*x", digits, static_cast<unsigned>(value));
  return buffer;
}

std::string Kilobytes(std::uint32_t offset) { return std::to_string(offset / 1024) + text::kKilobytes; }

std::string ErrorLine(const SdramErrorRecord& record) {
  return "   Addr=0x" + Hex(record.address, 7) + " Data=0x" + Hex(record.expected, 8) + " ErrData=0x" +
         Hex(record.read, 8);
}

// Stopped: a write phase failed or the operator aborted; the test ends there.
enum class RunEnd { Done, Stopped };

class SdramRun {
 public:
  SdramRun(StationContext& station, std::uint32_t testSize)
      : station_(station), ui_(station.Ui()), testSize_(testSize),
        sizeShown_(std::to_string(testSize / kMegabyte)) {}

  // One pass: the write phase, the refresh pause, the read phase.
  RunEnd Pass(int pass) {
    if (WritePhase(pass) == RunEnd::Stopped) return RunEnd::Stopped;
    RefreshPause();
    return ReadPhase(pass);
  }

  int errors() const { return errors_; }
  bool aborted() const { return aborted_; }

 private:
  RunEnd WritePhase(int pass) {
    const std::string line = " " + std::to_string(pass) + text::kSdramWritePrefix + sizeShown_ + text::kSdramSizeSuffix;
    ui_.AddJournalLine(0, line);
    const std::uint8_t mode = pass == 1 ? kSdramWritePass1 : kSdramWritePass2;
    for (std::uint32_t offset = 0; offset < testSize_; offset += kSdramBlockBytes) {
      ui_.AddJournalLine(-1, line + Kilobytes(offset));
      const SdramBlockResult result = TestSdramBlock(station_, offset, kSdramBlockBytes, offset >> 20, mode, record_);
      if (result != SdramBlockResult::Done) {
        ++errors_;
        aborted_ = result == SdramBlockResult::Aborted;
        ui_.AddJournalLine(-1, line + Kilobytes(offset) + text::kSdramBlockError);
        return RunEnd::Stopped;
      }
    }
    ui_.AddJournalLine(-1, line + text::kOk);
    return RunEnd::Done;
  }

  // The data has to survive on the SDRAM's refresh alone for a while. ESC
  // shortens the pause and nothing else: the flag is consumed here, also when
  // it was raised during the last second.
  void RefreshPause() {
    ui_.AddJournalLine(0, text::kSdramPause);
    for (int n = kRefreshSeconds; n >= 1; --n) {
      ui_.AddJournalLine(-1, std::string(text::kSdramPause) + std::to_string(n) + text::kSdramSeconds);
      if (station_.flags.AbortRequested()) break;
      PauseUnlessAborted(station_, kRefreshStep);
    }
    station_.flags.ClearAbort();
  }

  RunEnd ReadPhase(int pass) {
    const std::string line = std::string(text::kSdramReadPrefix) + sizeShown_ + text::kSdramSizeSuffix;
    ui_.AddJournalLine(-1, line);
    const std::uint8_t mode = pass == 1 ? kSdramComparePass1 : kSdramComparePass2;
    // The progress row moves up by one for every error line appended below it.
    int row = -1;
    for (std::uint32_t offset = 0; offset < testSize_; offset += kSdramBlockBytes) {
      ui_.AddJournalLine(row, line + Kilobytes(offset));
      const SdramBlockResult result = TestSdramBlock(station_, offset, kSdramBlockBytes, offset >> 20, mode, record_);
      if (result == SdramBlockResult::Aborted) {
        aborted_ = true;
        return RunEnd::Stopped;
      }
      if (result == SdramBlockResult::Error) {
        ++errors_;
        ui_.AddJournalLine(row, line + Kilobytes(offset) + text::kSdramBlockError);
        --row;
        PauseUnlessAborted(station_, kAfterError);
        ui_.AddJournalLine(0, ErrorLine(record_));
      }
    }
    ui_.AddJournalLine(row, line + (errors_ > 0 ? text::kSdramPhaseErrors : text::kOk));
    return RunEnd::Done;
  }

  StationContext& station_;
  StationUi& ui_;
  std::uint32_t testSize_;
  std::string sizeShown_;
  SdramErrorRecord record_;
  int errors_ = 0;
  bool aborted_ = false;
};

}  // namespace

SdramBlockResult TestSdramBlock(StationContext& station, std::uint32_t offset, std::uint32_t length,
                                std::uint32_t megabyte, std::uint8_t mode, SdramErrorRecord& record) {
  SerialExchange exchange(station);
  exchange.Write8('m');
  exchange.Write32(offset);
  exchange.Write32(length);
  exchange.Write32(megabyte);
  exchange.Write8(mode);
  std::uint8_t status = 0;
  if (!exchange.Await8(status)) return SdramBlockResult::Aborted;
  if (status != kStatusRefused) return SdramBlockResult::Done;
  // Words cut short by ESC keep what had arrived of them.
  for (std::uint32_t* word : {&record.expected, &record.address, &record.read}) {
    if (!exchange.Await32(*word)) break;
  }
  return SdramBlockResult::Error;
}

std::uint32_t SdramTestSizeFor(std::uint32_t configWord) {
  if ((configWord & kWidthMask) != kWidth16) return 0;
  if ((configWord & kDensityMask) == kDensity64Mbit) return 16 * kMegabyte;
  if ((configWord & kDensityMask) == kDensity128Mbit) return 32 * kMegabyte;
  return 0;
}

Outcome SdramTest(StationContext& station) {
  StationUi& ui = station.Ui();
  PurgePort(station.Port());
  Outcome outcome = Outcome::Success;
  {
    const WorkerFrame frame(station.Ui(), station.flags);
    std::uint32_t configWord = 0;
    if (ReadSdramConfig(station, configWord) != kExchangeOk) {
      ui.AddJournalLine(0, text::kSdramConfigError);
      outcome = Outcome::Aborted;
    } else if (const std::uint32_t size = SdramTestSizeFor(configWord); size == 0) {
      // A word the table does not know gives no size to test. The size of an
      // earlier board says nothing of this one: the run fails untested.
      ui.AddJournalLine(0, text::kSdramUnknownConfig + Hex(configWord, 8));
      Measure(station, {"sdram.testedMegabytes", 0.0, "MB"});
      outcome = Outcome::Failed;
    } else {
      ui.AddJournalLine(0, "");
      SdramRun run(station, size);
      for (int pass = 1; pass <= 2; ++pass) {
        if (run.Pass(pass) == RunEnd::Stopped) break;
      }
      if (run.aborted()) {
        outcome = Outcome::Aborted;
      } else {
        Measure(station, {"sdram.testedMegabytes", static_cast<double>(size / kMegabyte), "MB"});
        Measure(station, {"sdram.errors", static_cast<double>(run.errors()), ""});
        if (run.errors() > 0) outcome = Outcome::Failed;
      }
    }
    ui.AddJournalLine(0, outcome == Outcome::Success ? text::kSdramPassed : text::kSdramAborted);
    PlayEndSignal(station.Sound(), station.flags.soundOption.load());
  }
  return outcome;
}

}  // namespace rz
