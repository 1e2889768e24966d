#include <array>
#include <optional>
#include <vector>

#include "app/texts.h"
#include "context/station_context.h"
#include "flash/checked_read.h"
#include "flash/flash_channel.h"
#include "flash/flash_texts.h"
#include "flash/flash_unit.h"
#include "flash/transfer_handlers.h"
#include "flash/verify_written.h"

namespace rz {
namespace {

// The image as checked, and the end of the range to erase.
struct CheckedImage {
  ImageCheck check;
  std::uint32_t bound = 0;
};

// Appends the empty line and the heading (with the file name) and checks the
// file as an image; a refusal shows its message box.
std::optional<CheckedImage> CheckImage(StationContext& station, const char* heading, FileToFlashJob& job,
                                       TransferFile& file) {
  StationUi& ui = station.Ui();
  ui.AddJournalLine(0, "");
  ui.AddJournalLine(0, FormatText(heading, job.fileName));
  const bool serviceMode = station.flags.flashServiceMode.load() == 1;
  const ImageCheck check = CheckImageFile(file, serviceMode);
  if (check.refusal != nullptr) {
    ui.ShowError({text::kRefusalCaption, check.refusal, false});
    return std::nullopt;
  }
  return CheckedImage{check, EraseBound(check, serviceMode)};
}

Outcome Erase(FlashChannel& channel, std::uint32_t bound) {
  const ChannelProgress progress(channel, text::kEraseProgress);
  const int blocks = EraseBlockCount(bound);
  for (int block = 0; block < blocks; ++block) {
    const std::uint32_t address = FlashBlockAddress(block);
    channel.ShowProgress(ErasePercent(address, bound));
    const Outcome outcome = channel.EraseBlock(address);
    if (outcome != Outcome::Success) return outcome;
  }
  return Outcome::Success;
}

// Writes the image's pieces; `written` receives them, in Flash order from
// address 0, for the read-back.
Outcome Write(StationContext& station, FlashChannel& channel, TransferFile& file, const ImageCheck& check,
              std::vector<std::uint8_t>& written) {
  const ChannelProgress progress(channel, text::kWriteProgress);
  ImagePieces pieces(file, check);
  std::array<std::uint8_t, kFlashPieceBytes> buffer{};
  for (;;) {
    std::uint32_t percent = 0;
    const std::size_t length = pieces.Next(buffer, percent);
    if (length == 0 && pieces.Truncated()) {
      station.Ui().Note("файл " + station.transferFile + " стал короче, чем при проверке");
      return Outcome::Failed;
    }
    if (length == 0) break;
    channel.ShowProgress(percent);
    const Outcome outcome = channel.WritePiece(pieces.Address(), std::span(buffer.data(), length));
    if (outcome != Outcome::Success) return outcome;
    written.insert(written.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(length));
  }
  if (!channel.Settle()) {
    channel.FailAfterPieces(channel.Texts().writeFailed);
    return FailedOrAborted(station);
  }
  station.Ui().AddJournalLine(-1, text::kWriteDone);
  return Outcome::Success;
}

Outcome Transfer(StationContext& station, FlashChannel& channel, FileToFlashJob& job, TransferFile& file) {
  const FlashChannelTexts& texts = channel.Texts();
  const std::optional<CheckedImage> image = CheckImage(station, texts.writeHeading, job, file);
  if (!image) return Outcome::Failed;
  const ChannelTraces before = channel.Traces();
  const Outcome erased = Erase(channel, image->bound);
  if (erased != Outcome::Success) return erased;
  StationUi& ui = station.Ui();
  if (texts.eraseDone != nullptr) ui.AddJournalLine(-1, texts.eraseDone);
  ui.AddJournalLine(-1, image->bound == image->check.size ? text::kEraseDoneFile : text::kEraseDoneFlash);
  std::vector<std::uint8_t> written;
  const Outcome outcome = Write(station, channel, file, image->check, written);
  if (outcome != Outcome::Success) return outcome;
  // An answer to an earlier request can stand in for the "done" of a lost
  // one, and all of them look alike: a write that left such traces is read
  // back even where reading back is not asked for.
  const ChannelTraces after = channel.Traces();
  const bool inDoubt = !(after == before);
  if (!channel.VerifiesWrites() && !inDoubt) return Outcome::Success;
  if (!channel.VerifiesWrites()) {
    ui.Note("ответы платы при записи могли достаться не тем запросам: записанное читается для проверки");
  }
  return VerifyWritten(station, channel, written);
}

}  // namespace

Outcome FileToFlash(StationContext& station, FlashChannel& channel, FileToFlashJob& job) {
  return RunTransfer(station, channel, job.file, {text::kWritePassed, true, "write"},
                     [&](TransferFile& file) { return Transfer(station, channel, job, file); });
}

}  // namespace rz
