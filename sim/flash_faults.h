#pragma once

#include <cstdint>
#include <vector>

namespace rzsim {

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
};

}  // namespace rzsim
