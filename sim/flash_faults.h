#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace rzsim {

// The unit of the write-without-programming fault: piece n is the 512 bytes at
// Flash offset n * 512, the size of the station's write pieces.
inline constexpr std::uint32_t kFlashWritePieceBytes = 512;
inline constexpr std::uint32_t kFlashWritePieces = 8u * 1024 * 1024 / kFlashWritePieceBytes;

// A refusal of a Flash command: the command ('e', 't' or 'w') whose range
// holds `address` is answered 'q' with the words `a` and `b` (they differ in
// the half that failed, or are equal), on every attempt or on the first only
// (a retry is the same command at the same address straight after).
struct FlashRefusal {
  std::uint8_t command = 'e';
  std::uint32_t address = 0;
  std::uint32_t a = 0;
  std::uint32_t b = 0;
  bool firstOnly = false;
};

// A fault of the read command 'r' whose range holds `address`.
struct FlashReadFault {
  enum class Kind { kBadChecksum, kLoseByte };
  Kind kind = Kind::kBadChecksum;
  std::uint32_t address = 0;
  bool firstOnly = false;
};

struct FlashFaults {
  std::vector<FlashRefusal> refusals;
  std::vector<FlashReadFault> reads;
  // From the n-th 'w' or 'r' command on (counted together, from 1) the board
  // sends nothing more; 0: never.
  std::uint32_t silentFromPiece = 0;
  // Write pieces whose bytes no write ('w' or UDP 'W') programs, though every
  // such write is acknowledged as if they had taken.
  std::vector<std::uint32_t> ackWithoutWrite;
  // Every write ('w' or UDP 'W') is answered this many milliseconds later
  // than it would be otherwise, so that writing an image takes longer.
  std::uint32_t writeDelayMs = 0;

  bool Unprogrammed(std::size_t address) const {
    return std::find(ackWithoutWrite.begin(), ackWithoutWrite.end(), address / kFlashWritePieceBytes) !=
           ackWithoutWrite.end();
  }
};

}  // namespace rzsim
