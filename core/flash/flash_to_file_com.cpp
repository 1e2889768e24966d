#include <array>

#include "app/texts.h"
#include "app/worker_frame.h"
#include "context/station_context.h"
#include "flash/flash_texts.h"
#include "flash/flash_unit.h"
#include "flash/transfer_handlers.h"

namespace rz {
namespace {

Outcome Transfer(StationContext& station, FlashToFileJob& job, TransferFile& file) {
  StationUi& ui = station.Ui();
  ui.AddJournalLine(0, "");
  ui.AddJournalLine(0, FormatText(FormatText(text::kReadHeadingCom, std::to_string(job.count)), job.fileName));
  ProgressLine progress(ui, text::kReadProgress);
  std::array<std::uint8_t, kFlashPieceBytes> buffer{};
  const int pieces = ReadPieceCount(job.count);
  for (int k = 0; k < pieces; ++k) {
    const ReadPiece piece = ReadPieceAt(job.count, k);
    const std::string line = ProgressText(text::kReadProgress, piece.percent);
    progress.Show(line);
    const std::span<std::uint8_t> data(buffer.data(), piece.length);
    // A failed piece is asked for once more without a trace in the journal.
    const bool read = ReadFlashBlock(station, piece.address, data) || ReadFlashBlock(station, piece.address, data);
    // Each piece goes into the file as soon as it has arrived; a file that
    // cannot take it ends the reading like a piece that did not arrive.
    if (!read || !file.Write(data.data(), data.size())) {
      ui.AddJournalLine(-1, line + text::kReadFailed);
      return station.flags.AbortRequested() ? Outcome::Aborted : Outcome::Failed;
    }
  }
  // The file takes its name only now: a read that stops keeps what was there.
  if (!file.Complete()) {
    ui.AddJournalLine(-1, ProgressText(text::kReadProgress, 100) + text::kReadFailed);
    return Outcome::Failed;
  }
  ui.AddJournalLine(-1, text::kReadDone);
  return Outcome::Success;
}

}  // namespace

Outcome FlashToFileOverCom(StationContext& station, FlashToFileJob& job) {
  // Declared first, so the file is closed last, after the frame's steps.
  const std::unique_ptr<TransferFile> file = std::move(job.file);
  PurgePort(station.Port());
  const WorkerFrame frame(station.Ui(), station.flags);
  const Outcome outcome = Transfer(station, job, *file);
  station.Ui().AddJournalLine(0, outcome == Outcome::Success ? text::kReadPassed : text::kAborted);
  return outcome;
}

}  // namespace rz
