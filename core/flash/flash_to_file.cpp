#include <array>

#include "app/texts.h"
#include "context/station_context.h"
#include "flash/flash_channel.h"
#include "flash/flash_texts.h"
#include "flash/flash_unit.h"
#include "flash/transfer_handlers.h"

namespace rz {
namespace {

Outcome Transfer(StationContext& station, FlashChannel& channel, FlashToFileJob& job, TransferFile& file) {
  StationUi& ui = station.Ui();
  const FlashChannelTexts& texts = channel.Texts();
  ui.AddJournalLine(0, "");
  ui.AddJournalLine(0, FormatText(FormatText(texts.readHeading, std::to_string(job.count)), job.fileName));
  const ChannelProgress progress(channel, text::kReadProgress);
  std::array<std::uint8_t, kFlashPieceBytes> buffer{};
  const int pieces = ReadPieceCount(job.count);
  for (int k = 0; k < pieces; ++k) {
    const ReadPiece piece = ReadPieceAt(job.count, k);
    channel.ShowProgress(piece.percent);
    const std::span<std::uint8_t> data(buffer.data(), piece.length);
    // A piece that did not arrive is asked for once more, without a trace in
    // the journal.
    const bool read = channel.ReadPiece(piece.address, data) || channel.ReadPiece(piece.address, data);
    // Each piece goes into the file as soon as it has arrived; a file that
    // cannot take it ends the reading like a piece that did not arrive.
    if (!read || !file.Write(data.data(), data.size())) {
      channel.FailProgress(texts.readFailed);
      return station.flags.AbortRequested() ? Outcome::Aborted : Outcome::Failed;
    }
  }
  // The file takes its name only now: a read that stops keeps what was there.
  if (!channel.Settle() || !file.Complete()) {
    channel.FailAfterPieces(texts.readFailed);
    return station.flags.AbortRequested() ? Outcome::Aborted : Outcome::Failed;
  }
  ui.AddJournalLine(-1, text::kReadDone);
  return Outcome::Success;
}

}  // namespace

Outcome FlashToFile(StationContext& station, FlashChannel& channel, FlashToFileJob& job) {
  return RunTransfer(station, channel, job.file, {text::kReadPassed, false},
                     [&](TransferFile& file) { return Transfer(station, channel, job, file); });
}

}  // namespace rz
