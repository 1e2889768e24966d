#pragma once

#include <cstdint>

#include "board_model.h"
#include "bytes.h"
#include "dispatcher.h"
#include "faults.h"
#include "flash_commands.h"

namespace rzsim {

// The test program the station loads into the board: it reads one-byte
// commands and answers them from the board model.
class TestProgram {
 public:
  TestProgram(const BoardModel& model, const Faults& faults);

  // Starts the program afresh, as after a download: CPU at 74 MHz.
  void Start();
  void Receive(std::uint8_t byte, Bytes& out);
  // The program's line rate: 115200 baud, 57600 once the CPU runs at 90 MHz.
  std::uint32_t LineBaud() const;
  const BoardState& state() const { return state_; }
  BoardMemory& memory() { return memory_; }
  const FlashCommandState& flashState() const { return flashState_; }

 private:
  const BoardModel& model_;
  const Faults& faults_;
  BoardState state_;
  BoardMemory memory_;
  FlashCommandState flashState_;
  Dispatcher dispatcher_;
};

}  // namespace rzsim
