#include "flash/flash_test.h"

#include "app/measurement.h"
#include "app/texts.h"
#include "app/worker_frame.h"
#include "context/station_context.h"
#include "flash/flash_texts.h"
#include "flash/flash_unit.h"

namespace rz {
namespace {

using BlockCommand = FlashReply (*)(StationContext& station, int block);

FlashReply EraseBlock(StationContext& station, int block) { return EraseFlashBlock(station, FlashBlockAddress(block)); }

FlashReply TestBlock(StationContext& station, int block) {
  return TestFlashRange(station, FlashBlockAddress(block), FlashBlockSize(block));
}

// One pass over the 71 blocks. The header line (small blocks) is already in the
// journal; each block's number replaces its figure, a refused block is retried
// once below a " Повтор" line. The header for the large blocks restarts the
// numbering at 1. Returns Success, or how the pass ended.
Outcome RunPass(StationContext& station, BlockCommand command, const char* smallHeader, const char* largeHeader) {
  StationUi& ui = station.Ui();
  const char* header = smallHeader;
  int number = 1;
  for (int block = 0; block < kFlashBlocks; ++block) {
    const std::string line = header + std::to_string(number);
    ui.AddJournalLine(-1, line);
    const Outcome outcome = SendWithOneRetry(ui, line, [&] { return command(station, block); });
    if (outcome != Outcome::Success) return outcome;
    if (block == kSmallFlashBlocks - 1) {
      header = largeHeader;
      ui.AddJournalLine(0, header);
      number = 1;
    } else {
      ++number;
    }
  }
  return Outcome::Success;
}

Outcome RunTest(StationContext& station) {
  StationUi& ui = station.Ui();
  ui.AddJournalLine(0, text::kSeparator);
  ui.AddJournalLine(0, text::kFlashTestHeading);
  ui.AddJournalLine(0, text::kEraseSmall);
  Outcome outcome = RunPass(station, &EraseBlock, text::kEraseSmall, text::kEraseLarge);
  if (outcome != Outcome::Success) return outcome;
  ui.AddJournalLine(0, text::kEraseAllOk);
  ui.AddJournalLine(0, text::kSeparator);
  ui.AddJournalLine(0, text::kTestSmall);
  outcome = RunPass(station, &TestBlock, text::kTestSmall, text::kTestLarge);
  if (outcome != Outcome::Success) return outcome;
  ui.AddJournalLine(0, text::kTestAllOk);
  return Outcome::Success;
}

}  // namespace

Outcome FlashTest(StationContext& station) {
  PurgePort(station.Port());
  const WorkerFrame frame(station.Ui(), station.flags);
  const Outcome outcome = RunTest(station);
  // The test stops at the first block the board refuses twice.
  if (outcome != Outcome::Aborted) {
    Measure(station, {"flash-test.failedBlocks", outcome == Outcome::Failed ? 1.0 : 0.0, ""});
  }
  station.Ui().AddJournalLine(0, outcome == Outcome::Success ? text::kTestPassed : text::kAborted);
  PlayEndSignal(station.Sound(), station.flags.soundOption.load());
  return outcome;
}

}  // namespace rz
