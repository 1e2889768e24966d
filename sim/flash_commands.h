#pragma once

#include <cstdint>

#include "dispatcher.h"

namespace rzsim {

inline constexpr std::uint8_t kOpEraseFlashBlock = 'e';
inline constexpr std::uint8_t kOpTestFlashRange = 't';
inline constexpr std::uint8_t kOpWriteFlashBlock = 'w';
inline constexpr std::uint8_t kOpReadFlashBlock = 'r';

// The Flash commands' own bookkeeping, kept for the simulator's life.
struct FlashCommandState {
  std::uint8_t lastCommand = 0;  // the previous Flash command and its address,
  std::uint32_t lastAddress = 0;  // so that a retry can be told from a first attempt
  std::uint64_t pieces = 0;       // 'w' and 'r' commands received
  std::uint64_t writes = 0;       // 'w' commands received
  std::uint64_t badWriteChecksums = 0;
  bool silenced = false;
};

// Block map of the 8 MB Flash: 8 blocks of 16 KB, then 63 of 128 KB.
std::uint32_t FlashBlockStart(std::uint32_t address);
std::uint32_t FlashBlockLength(std::uint32_t start);

// 'e' erase a block (all bytes 0xFF), 't' program test data into a range and
// compare, 'w' program data (bits are only cleared, as NOR Flash does; the
// pieces of --flash-ack-without-write are left as they are) and compare, 'r'
// read with a checksum.
void RegisterFlashCommands(Dispatcher& dispatcher, FlashCommandState& state);

}  // namespace rzsim
