#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>

#include "board_model.h"
#include "boot_rom.h"
#include "bytes.h"
#include "faults.h"
#include "line_speed.h"
#include "test_program.h"

namespace rzsim {

// The whole board as the serial line sees it: the boot ROM after a reset,
// then the loaded test program. Bytes sent while the station's line speed
// differs from the board's are lost, as a real UART would garble them.
class Board {
 public:
  Board(const BoardModel& model, const Faults& faults);
  Board(const Board&) = delete;
  Board& operator=(const Board&) = delete;

  // The RESET button: the boot ROM starts over; unsent output is dropped.
  void Reset();
  // One byte from the station, with the station's line speed around it.
  void Receive(std::uint8_t byte, SpeedSamples speed);

  // The rate the board's UART runs at now.
  std::uint32_t LineBaud() const;
  bool ProgramRunning() const { return bootRom_.stage() == BootRom::Stage::kStarted; }
  const BootRom& bootRom() const { return bootRom_; }
  const TestProgram& program() const { return program_; }
  // The memories the program's commands work on (also over UDP).
  BoardMemory& memory() { return program_.memory(); }

  // Bytes the board has sent and the line has not yet carried.
  std::span<const std::uint8_t> Output() const;
  // The line has carried the first n bytes of Output().
  void ConsumeOutput(std::size_t n);

  // How long the output must wait before it leaves, for the commands the
  // board has taken since the last call: the Flash write delay once a write
  // has come. Each write's delay is given once.
  std::chrono::milliseconds TakeAnswerDelay();

  // Counts bytes lost to a speed mismatch since the start.
  std::uint64_t Garbled() const { return garbled_; }

 private:
  void Emit(const Bytes& bytes);

  BoardModel model_;
  Faults faults_;
  BootRom bootRom_;
  TestProgram program_;
  Bytes out_;
  std::size_t outStart_ = 0;  // bytes of out_ already carried
  Bytes scratch_;
  std::uint64_t garbled_ = 0;
  std::uint64_t writesSeen_ = 0;  // Flash writes whose delay has been given
};

}  // namespace rzsim
