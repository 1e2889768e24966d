#include <array>

#include "app/texts.h"
#include "app/worker_frame.h"
#include "context/station_context.h"
#include "flash/flash_texts.h"
#include "flash/flash_unit.h"
#include "flash/transfer_handlers.h"

namespace rz {
namespace {

Outcome Erase(StationContext& station, std::uint32_t bound) {
  StationUi& ui = station.Ui();
  ProgressLine progress(ui, text::kEraseProgress);
  const int blocks = EraseBlockCount(bound);
  for (int block = 0; block < blocks; ++block) {
    const std::uint32_t address = FlashBlockAddress(block);
    const std::string line = ProgressText(text::kEraseProgress, ErasePercent(address, bound));
    progress.Show(line);
    const Outcome outcome = SendWithOneRetry(ui, line, [&] { return EraseFlashBlock(station, address); });
    if (outcome != Outcome::Success) return outcome;
  }
  return Outcome::Success;
}

Outcome Write(StationContext& station, TransferFile& file, const ImageCheck& check) {
  StationUi& ui = station.Ui();
  ProgressLine progress(ui, text::kWriteProgress);
  ImagePieces pieces(file, check);
  std::array<std::uint8_t, kFlashPieceBytes> buffer{};
  for (;;) {
    std::uint32_t percent = 0;
    const std::size_t length = pieces.Next(buffer, percent);
    if (length == 0 && pieces.Truncated()) return ImageFileShrank(station);
    if (length == 0) break;
    const std::string line = ProgressText(text::kWriteProgress, percent);
    progress.Show(line);
    const std::span<const std::uint8_t> piece(buffer.data(), length);
    const Outcome outcome =
        SendWithOneRetry(ui, line, [&] { return WriteFlashBlock(station, pieces.Address(), piece); });
    if (outcome != Outcome::Success) return outcome;
  }
  ui.AddJournalLine(-1, text::kWriteDone);
  return Outcome::Success;
}

Outcome Transfer(StationContext& station, FileToFlashJob& job, TransferFile& file) {
  const std::optional<CheckedImage> image = BeginFileToFlash(station, text::kWriteHeadingCom, job, file);
  if (!image) return Outcome::Failed;
  const Outcome erased = Erase(station, image->bound);
  if (erased != Outcome::Success) return erased;
  station.Ui().AddJournalLine(-1, image->bound == image->check.size ? text::kEraseDoneFile : text::kEraseDoneFlash);
  return Write(station, file, image->check);
}

}  // namespace

Outcome FileToFlashOverCom(StationContext& station, FileToFlashJob& job) {
  // Declared first, so the file is closed last, after the frame's steps.
  const std::unique_ptr<TransferFile> file = std::move(job.file);
  PurgePort(station.Port());
  const WorkerFrame frame(station.Ui(), station.flags);
  const Outcome outcome = Transfer(station, job, *file);
  station.Ui().AddJournalLine(0, outcome == Outcome::Success ? text::kWritePassed : text::kAborted);
  PlayEndSignal(station.Sound(), station.flags.soundOption.load());
  return outcome;
}

}  // namespace rz
