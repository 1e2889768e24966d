#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

#include "board.h"

namespace rzsim::testing {

// Drives a Board the way the serial line would: bytes at a given station
// speed in, everything the board sent out.
class BoardHarness {
 public:
  explicit BoardHarness(const Faults& faults = {}, const BoardModel& model = {})
      : board(model, faults) {
    board.Reset();
  }

  void Send(const Bytes& bytes, std::uint32_t stationBaud) {
    for (std::uint8_t b : bytes) board.Receive(b, {stationBaud, stationBaud});
  }
  void Send(std::initializer_list<std::uint8_t> bytes, std::uint32_t stationBaud) {
    Send(Bytes(bytes), stationBaud);
  }

  Bytes Take() {
    const auto out = board.Output();
    Bytes copy(out.begin(), out.end());
    board.ConsumeOutput(copy.size());
    return copy;
  }

  // The station's side of a whole download, as far as the board answers it.
  // Returns everything the board sent from the reset on.
  Bytes Download(std::uint32_t secondStageLength) {
    Bytes seen = Take();
    Send(Bytes(2048, 0xA5), 9600);
    const Bytes ack = Take();
    seen.insert(seen.end(), ack.begin(), ack.end());
    Bytes second = {'+'};
    PutLe32(second, secondStageLength);
    second.resize(second.size() + secondStageLength, 0x5A);
    Send(second, 115200);
    const Bytes done = Take();
    seen.insert(seen.end(), done.begin(), done.end());
    return seen;
  }

  Board board;
};

inline Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }

}  // namespace rzsim::testing
