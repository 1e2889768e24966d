#include "flash/verify_written.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "context/station_context.h"
#include "flash/checked_read.h"
#include "flash/flash_channel.h"
#include "flash/flash_texts.h"
#include "flash/flash_unit.h"
#include "flash/image_file.h"

namespace rz {
namespace {

// Writing again, then erasing and writing again: after that a piece that
// still differs is a fault of the board's Flash.
constexpr int kRepairRounds = 2;

std::uint32_t PieceAddress(int piece) { return static_cast<std::uint32_t>(piece) * kFlashPieceBytes; }

std::vector<int> Differing(std::span<const std::uint8_t> image, std::span<const std::uint8_t> flash,
                           const std::vector<int>& pieces) {
  const auto count = static_cast<std::uint32_t>(image.size());
  std::vector<int> differing;
  for (const int k : pieces) {
    const ReadPiece piece = ReadPieceAt(count, k);
    if (!std::equal(image.begin() + piece.address, image.begin() + piece.address + piece.length,
                    flash.begin() + piece.address)) {
      differing.push_back(k);
    }
  }
  return differing;
}

// The Flash block that holds `address`.
int BlockOf(std::uint32_t address) {
  int block = 0;
  while (block + 1 < kFlashBlocks && FlashBlockAddress(block + 1) <= address) ++block;
  return block;
}

// Writes the listed pieces again on a progress line " Запись Flash: ".
Outcome WriteAgain(FlashChannel& channel, std::span<const std::uint8_t> image, const std::vector<int>& pieces) {
  const auto count = static_cast<std::uint32_t>(image.size());
  const ChannelProgress progress(channel, text::kWriteProgress);
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    channel.ShowProgress(static_cast<std::uint32_t>(100 * i / pieces.size()));
    const ReadPiece piece = ReadPieceAt(count, pieces[i]);
    const Outcome outcome = channel.WritePiece(piece.address, image.subspan(piece.address, piece.length));
    if (outcome != Outcome::Success) return outcome;
  }
  channel.ShowProgress(100);
  return Outcome::Success;
}

// Erases the blocks that hold the listed pieces (on a progress line
// " Стирание Flash: ") and returns every piece of the image in them.
std::vector<int> EraseBlocksOf(FlashChannel& channel, std::uint32_t count, const std::vector<int>& pieces,
                               Outcome& outcome) {
  std::set<int> blocks;
  for (const int k : pieces) blocks.insert(BlockOf(PieceAddress(k)));
  const ChannelProgress progress(channel, text::kEraseProgress);
  std::vector<int> rewrite;
  int done = 0;
  for (const int block : blocks) {
    channel.ShowProgress(static_cast<std::uint32_t>(100 * done++ / blocks.size()));
    outcome = channel.EraseBlock(FlashBlockAddress(block));
    if (outcome != Outcome::Success) return {};
    const std::uint32_t end = std::min(count, FlashBlockAddress(block) + FlashBlockSize(block));
    for (std::uint32_t at = FlashBlockAddress(block); at < end; at += kFlashPieceBytes) {
      rewrite.push_back(static_cast<int>(at / kFlashPieceBytes));
    }
  }
  channel.ShowProgress(100);
  return rewrite;
}

std::string Hex(std::uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*X", digits, value);
  return text;
}

// The 32-bit word (least significant byte first) at the aligned address, as
// far as the image reaches.
std::uint32_t WordAt(std::span<const std::uint8_t> bytes, std::uint32_t address) {
  std::uint32_t word = 0;
  for (std::uint32_t i = 0; i < 4 && address + i < bytes.size(); ++i) {
    word |= static_cast<std::uint32_t>(bytes[address + i]) << (8 * i);
  }
  return word;
}

// How many differing pieces the record names by address.
constexpr std::size_t kAddressesNamed = 8;

// Tells the run's record what the read-back found.
void Record(StationContext& station, std::span<const std::uint8_t> image, std::span<const std::uint8_t> flash,
            std::size_t readAgain, int rewritten, const std::vector<int>& differing) {
  if (station.results == nullptr) return;
  FlashCheck check;
  check.flash = flash;
  check.matches = differing.empty();
  check.piecesReadAgain = static_cast<int>(readAgain);
  check.piecesWrittenAgain = rewritten;
  check.differingPieces = static_cast<int>(differing.size());
  const auto count = static_cast<std::uint32_t>(image.size());
  for (std::size_t i = 0; i < differing.size() && i < kAddressesNamed; ++i) {
    const ReadPiece piece = ReadPieceAt(count, differing[i]);
    const auto from = image.begin() + piece.address;
    const auto at = std::mismatch(from, from + piece.length, flash.begin() + piece.address).first;
    check.firstDifferingAddresses.push_back(piece.address + static_cast<std::uint32_t>(at - from));
  }
  station.results->FlashChecked(check);
}

// The journal and the note of a Flash that does not hold the image.
Outcome ReportMismatch(StationContext& station, FlashChannel& channel, std::span<const std::uint8_t> image,
                       std::span<const std::uint8_t> flash, const std::vector<int>& differing) {
  const auto first = static_cast<std::uint32_t>(
      std::mismatch(image.begin(), image.end(), flash.begin()).first - image.begin());
  const std::uint32_t word = first & ~3u;
  channel.FailAfterPieces(text::kCheckFailed);
  std::string line = FormatText(text::kCheckMismatch, Hex(word, 6));
  line = FormatText(line, Hex(WordAt(image, word), 8));
  station.Ui().AddJournalLine(0, FormatText(line, Hex(WordAt(flash, word), 8)));
  station.Ui().Note("Flash не совпадает с файлом в " + std::to_string(differing.size()) +
                    " частях по 512 байт после повторной записи и стирания; первый отличающийся байт по адресу 0x" +
                    Hex(first, 6));
  return Outcome::Failed;
}

}  // namespace

Outcome VerifyWritten(StationContext& station, FlashChannel& channel, std::span<const std::uint8_t> image) {
  std::vector<std::uint8_t> flash(image.size());
  const auto count = static_cast<std::uint32_t>(image.size());
  PieceDoubt doubt(channel, PassPieceCount(image));
  {
    const ChannelProgress progress(channel, text::kCheckProgress);
    const Outcome outcome = ReadPass(station, channel, flash, text::kCheckFailed, doubt);
    if (outcome != Outcome::Success) return outcome;
    station.Ui().AddJournalLine(-1, ProgressText(text::kCheckProgress, 100));
  }
  // A piece that differs in the plain read-back is read again before it
  // counts, like a piece in doubt.
  std::vector<int> all(static_cast<std::size_t>(PassPieceCount(image)));
  for (std::size_t k = 0; k < all.size(); ++k) all[k] = static_cast<int>(k);
  std::set<int> suspects;
  for (const int k : doubt.Pieces()) suspects.insert(k);
  for (const int k : Differing(image, flash, all)) suspects.insert(k);
  std::vector<int> pending(suspects.begin(), suspects.end());
  int differed = 0;
  int rewritten = 0;
  for (int round = 0; !pending.empty(); ++round) {
    const Outcome checked = RecheckPieces(station, channel, pending, flash, differed);
    if (checked != Outcome::Success) return checked;
    const std::vector<int> differing = Differing(image, flash, pending);
    if (differing.empty()) break;
    if (round == kRepairRounds) {
      Record(station, image, flash, suspects.size(), rewritten, differing);
      return ReportMismatch(station, channel, image, flash, differing);
    }
    // Answers to the reads still on their way would pass for the writes' "done".
    if (!channel.Settle()) return FailedOrAborted(station);
    Outcome outcome = Outcome::Success;
    pending = round == 0 ? differing : EraseBlocksOf(channel, count, differing, outcome);
    if (outcome != Outcome::Success) return outcome;
    outcome = WriteAgain(channel, image, pending);
    if (outcome != Outcome::Success) return outcome;
    rewritten += static_cast<int>(pending.size());
  }
  Record(station, image, flash, suspects.size(), rewritten, {});
  if (rewritten > 0) {
    station.Ui().Note("проверка записи: " + std::to_string(suspects.size()) +
                      " частей по 512 байт перечитаны с проверкой, " + std::to_string(rewritten) +
                      " записаны повторно; Flash совпадает с файлом");
  }
  return Outcome::Success;
}

}  // namespace rz
