#include <vector>

#include "app/texts.h"
#include "context/station_context.h"
#include "flash/checked_read.h"
#include "flash/flash_channel.h"
#include "flash/flash_texts.h"
#include "flash/flash_unit.h"
#include "flash/transfer_handlers.h"

namespace rz {
namespace {

// Each piece goes into the file as soon as it has arrived (a file that cannot
// take it ends the reading like a piece that did not arrive); the pieces are
// kept in memory as well, and when the check of pieces in doubt corrects any,
// the file is written anew.
Outcome Transfer(StationContext& station, FlashChannel& channel, FlashToFileJob& job, TransferFile& file) {
  StationUi& ui = station.Ui();
  const FlashChannelTexts& texts = channel.Texts();
  ui.AddJournalLine(0, "");
  ui.AddJournalLine(0, FormatText(FormatText(texts.readHeading, std::to_string(job.count)), job.fileName));
  std::vector<std::uint8_t> data(job.count);
  int corrected = 0;
  const PieceSink sink = [&](std::span<const std::uint8_t> piece) { return file.Write(piece.data(), piece.size()); };
  const Outcome outcome = ReadFlashChecked(station, channel, data, texts.readFailed, sink, corrected);
  if (outcome != Outcome::Success) return outcome;
  const bool rewritten = corrected == 0 || (file.Restart() && file.Write(data.data(), data.size()));
  // The file takes its name only now: a read that stops keeps what was there.
  if (!rewritten || !file.Complete()) {
    channel.FailAfterPieces(texts.readFailed);
    return FailedOrAborted(station);
  }
  return Outcome::Success;
}

}  // namespace

Outcome FlashToFile(StationContext& station, FlashChannel& channel, FlashToFileJob& job) {
  return RunTransfer(station, channel, job.file, {text::kReadPassed, false, "read"},
                     [&](TransferFile& file) { return Transfer(station, channel, job, file); });
}

}  // namespace rz
