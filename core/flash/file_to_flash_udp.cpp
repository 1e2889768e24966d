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

Outcome Erase(StationContext& station, std::uint32_t bound) {
  UdpProgressLine progress(station, text::kEraseProgress);
  const int blocks = EraseBlockCount(bound);
  for (int block = 0; block < blocks; ++block) {
    const std::uint32_t address = FlashBlockAddress(block);
    progress.Show(ErasePercent(address, bound));
    if (WithOneRepetition([&] { return EraseFlashBlockUdp(station, address); }) != kExchangeOk) {
      progress.Fail(text::kEraseFailedUdp);
      return station.flags.AbortRequested() ? Outcome::Aborted : Outcome::Failed;
    }
  }
  return Outcome::Success;
}

// ESC fails the exchange in progress and, as the flag stays set, its
// repetition at once: the writing ends within a wait's slice.
Outcome Write(StationContext& station, TransferFile& file, const ImageCheck& check) {
  UdpProgressLine progress(station, text::kWriteProgress);
  ImagePieces pieces(file, check);
  std::array<std::uint8_t, kFlashPieceBytes> buffer{};
  for (;;) {
    std::uint32_t percent = 0;
    const std::size_t length = pieces.Next(buffer, percent);
    if (length == 0 && pieces.Truncated()) return ImageFileShrank(station);
    if (length == 0) break;
    progress.Show(percent);
    const std::span<const std::uint8_t> piece(buffer.data(), length);
    if (WithOneRepetition([&] { return WriteFlashBlockUdp(station, pieces.Address(), piece); }) != kExchangeOk) {
      progress.Fail(text::kWriteFailedUdp);
      return station.flags.AbortRequested() ? Outcome::Aborted : Outcome::Failed;
    }
  }
  if (!SettleUdpTransfer(station)) {
    progress.Fail(text::kWriteFailedUdp);
    return station.flags.AbortRequested() ? Outcome::Aborted : Outcome::Failed;
  }
  station.Ui().AddJournalLine(-1, text::kWriteDone);
  return Outcome::Success;
}

Outcome Transfer(StationContext& station, FileToFlashJob& job, TransferFile& file) {
  const std::optional<CheckedImage> image = BeginFileToFlash(station, text::kWriteHeadingUdp, job, file);
  if (!image) return Outcome::Failed;
  const Outcome erased = Erase(station, image->bound);
  if (erased != Outcome::Success) return erased;
  StationUi& ui = station.Ui();
  ui.AddJournalLine(-1, text::kEraseDoneUdp);
  ui.AddJournalLine(-1, image->bound == image->check.size ? text::kEraseDoneFile : text::kEraseDoneFlash);
  return Write(station, file, image->check);
}

}  // namespace

Outcome FileToFlashOverUdp(StationContext& station, FileToFlashJob& job) {
  // Declared first, so the file is closed last, after the frame's steps.
  const std::unique_ptr<TransferFile> file = std::move(job.file);
  const WorkerFrame frame(station.Ui(), station.flags);
  BeginUdpTransfer(station);
  const Outcome outcome = Transfer(station, job, *file);
  station.Ui().AddJournalLine(0, outcome == Outcome::Success ? text::kWritePassed : text::kAborted);
  PlayEndSignal(station.Sound(), station.flags.soundOption.load());
  return outcome;
}

}  // namespace rz
