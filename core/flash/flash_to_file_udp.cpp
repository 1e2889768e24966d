#include <array>

#include "app/texts.h"
#include "app/worker_frame.h"
#include "context/station_context.h"
#include "flash/flash_texts.h"
#include "flash/flash_unit.h"
#include "flash/transfer_handlers.h"
#include "flash/udp_progress.h"
#include "link/exchange.h"
#include "link/udp_commands.h"

namespace rz {
namespace {

Outcome Transfer(StationContext& station, FlashToFileJob& job, TransferFile& file) {
  StationUi& ui = station.Ui();
  ui.AddJournalLine(0, "");
  ui.AddJournalLine(0, FormatText(FormatText(text::kReadHeadingUdp, std::to_string(job.count)), job.fileName));
  UdpProgressLine progress(station, text::kReadProgress);
  std::array<std::uint8_t, kFlashPieceBytes> buffer{};
  const int pieces = ReadPieceCount(job.count);
  for (int k = 0; k < pieces; ++k) {
    const ReadPiece piece = ReadPieceAt(job.count, k);
    progress.Show(piece.percent);
    const bool read =
        WithOneRepetition([&] { return ReadFlashBlockUdp(station, piece.address, piece.length, buffer.data()); }) ==
        kExchangeOk;
    // Each piece goes into the file as soon as it has arrived; a file that
    // cannot take it ends the reading like a piece that did not arrive.
    if (!read || !file.Write(buffer.data(), piece.length)) {
      progress.Fail(text::kReadFailedUdp);
      return station.flags.AbortRequested() ? Outcome::Aborted : Outcome::Failed;
    }
  }
  // The file takes its name only now: a read that stops keeps what was there.
  if (!SettleUdpTransfer(station) || !file.Complete()) {
    progress.Fail(text::kReadFailedUdp);
    return station.flags.AbortRequested() ? Outcome::Aborted : Outcome::Failed;
  }
  ui.AddJournalLine(-1, text::kReadDone);
  return Outcome::Success;
}

}  // namespace

Outcome FlashToFileOverUdp(StationContext& station, FlashToFileJob& job) {
  // Declared first, so the file is closed last, after the frame's steps.
  const std::unique_ptr<TransferFile> file = std::move(job.file);
  const WorkerFrame frame(station.Ui(), station.flags);
  BeginUdpTransfer(station);
  const Outcome outcome = Transfer(station, job, *file);
  station.Ui().AddJournalLine(0, outcome == Outcome::Success ? text::kReadPassed : text::kAborted);
  return outcome;
}

}  // namespace rz
