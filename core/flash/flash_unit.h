#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "app/outcome.h"
#include "app/station_ui.h"

namespace rz {

class StationContext;

// The board's Flash: 8 MB on a 32-bit bus made of two 16-bit halves, fl_0 (data
// bits 0-15) and fl_1 (bits 16-31), erased in 71 blocks: 8 small blocks of
// 16 KB, then 63 large blocks of 128 KB.
inline constexpr std::uint32_t kFlashBytes = 8388608;
inline constexpr int kFlashBlocks = 71;
inline constexpr int kSmallFlashBlocks = 8;
inline constexpr std::uint32_t kSmallBlockBytes = 0x4000;
inline constexpr std::uint32_t kLargeBlockBytes = 0x20000;

// Start address (byte offset in Flash) of block `index` (0..70).
constexpr std::uint32_t FlashBlockAddress(int index) {
  return index <= kSmallFlashBlocks ? kSmallBlockBytes * static_cast<std::uint32_t>(index)
                                    : kLargeBlockBytes * static_cast<std::uint32_t>(index - 7);
}
constexpr std::uint32_t FlashBlockSize(int index) {
  return index < kSmallFlashBlocks ? kSmallBlockBytes : kLargeBlockBytes;
}

// Which half of the Flash a refusal names: bit 0 = fl_0, bit 1 = fl_1.
inline constexpr unsigned kFaultFl0 = 1;
inline constexpr unsigned kFaultFl1 = 2;

// The fault mask of the two words of a 'q' reply.
constexpr unsigned FaultMask(std::uint32_t a, std::uint32_t b) {
  const std::uint32_t diff = a ^ b;
  return ((diff & 0xFFFFu) != 0 ? kFaultFl0 : 0u) | ((diff >> 16) != 0 ? kFaultFl1 : 0u);
}

// The journal text of a non-empty mask (" *Ошибка: fl_0" ...), "" for 0.
const char* FaultMaskText(unsigned mask);

// How a Flash command that the board can refuse ('e', 't', 'w') ended.
// A failure with an empty mask is an abort, or a refusal whose two words were
// equal; callers treat both as an abort.
struct FlashReply {
  bool ok = false;
  unsigned mask = 0;
  bool Aborted() const { return !ok && mask == 0; }
};

// EraseFlashBlock ('e'): erases the block that starts at `address`.
FlashReply EraseFlashBlock(StationContext& station, std::uint32_t address);
// TestFlashRange ('t'): the board writes test data into the range and reads it back.
FlashReply TestFlashRange(StationContext& station, std::uint32_t address, std::uint32_t length);
// WriteFlashBlock ('w'): writes at most 512 bytes at `address`, followed by the
// two's complement of their 8-bit sum.
FlashReply WriteFlashBlock(StationContext& station, std::uint32_t address, std::span<const std::uint8_t> data);

// ReadFlashBlock ('r'): reads data.size() (at most 512) bytes at `address` and
// checks the checksum byte that follows them. Every byte is awaited for up to
// 224 read attempts; a position that stays empty keeps the last byte received.
// False for a bad checksum or an abort. The abort flag is left set, so that
// the caller's retry after an ESC fails at once as well.
bool ReadFlashBlock(StationContext& station, std::uint32_t address, std::span<std::uint8_t> data);

// Sends a Flash command (a callable returning FlashReply) and, after a refusal
// that names a Flash half, once more: the progress line `line` (already the
// last journal line) then gets " Повтор" and a fresh copy of it is appended;
// a second refusal puts the half's text behind it. An empty mask is an abort.
template <typename Command>
Outcome SendWithOneRetry(StationUi& ui, const std::string& line, Command command);

inline constexpr std::size_t kFlashPieceBytes = 512;
inline constexpr int kReadAttemptsPerByte = 224;

// The two's complement of the 8-bit sum of `data`: data plus checksum add up to 0.
std::uint8_t FlashChecksum(std::span<const std::uint8_t> data);

// `pattern` with its first "%s" or "%d" (whichever comes first) replaced by
// `value`: journal lines and
// messages are built without fixed buffers, so a file name of any length fits.
std::string FormatText(std::string_view pattern, std::string_view value);

// A progress line: the header followed by the percentage and "%".
std::string ProgressText(std::string_view header, std::uint32_t percent);

const char* RetryText();

template <typename Command>
Outcome SendWithOneRetry(StationUi& ui, const std::string& line, Command command) {
  FlashReply reply = command();
  if (reply.ok) return Outcome::Success;
  if (reply.Aborted()) return Outcome::Aborted;
  ui.AddJournalLine(-1, line + RetryText());
  ui.AddJournalLine(0, line);
  reply = command();
  if (reply.ok) return Outcome::Success;
  if (reply.Aborted()) return Outcome::Aborted;
  ui.AddJournalLine(-1, line + FaultMaskText(reply.mask));
  return Outcome::Failed;
}

}  // namespace rz
