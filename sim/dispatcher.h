#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>

#include "board_memory.h"
#include "board_model.h"
#include "bytes.h"
#include "faults.h"

namespace rzsim {

// What changes on the board while the test program runs.
struct BoardState {
  bool cpuAt90MHz = false;
  bool hung = false;                // the program answers nothing any more
  std::uint32_t sdramCommands = 0;  // 'm' commands so far
  std::uint32_t ethernetSteps = 0;  // 'l' commands since the last 'i'
  std::uint64_t strayBytes = 0;  // bytes that started no command
  // The address the station switched Ethernet work on at ('a'); nothing
  // while it is off.
  std::optional<std::array<std::uint8_t, 4>> ethernetAddress;
};

// What a command sees while it runs: the board it reports on, the faults in
// force, the board's changing state and the bytes it sends back.
struct CommandContext {
  const BoardModel& model;
  const Faults& faults;
  BoardState& state;
  BoardMemory& memory;
  Bytes& out;
};

// One command in progress. The dispatcher creates it when its opcode arrives
// and hands it every following byte until it says it has finished.
class CommandRun {
 public:
  virtual ~CommandRun() = default;
  // Called once after the opcode. Returns true when the command is complete.
  virtual bool Start(CommandContext& ctx) = 0;
  // Takes one more byte from the station. Returns true when the command is complete.
  virtual bool Take(std::uint8_t byte, CommandContext& ctx) = 0;
};

using CommandFactory = std::function<std::unique_ptr<CommandRun>()>;

// A command with `argumentBytes` bytes of arguments after its opcode, handled
// in one go once they have all arrived.
using FixedHandler = std::function<void(std::span<const std::uint8_t> arguments, CommandContext&)>;
CommandFactory FixedCommand(std::size_t argumentBytes, FixedHandler handler);

// Reads one-byte opcodes and runs the command registered for each; bytes
// that are no known opcode are ignored.
class Dispatcher {
 public:
  void Register(std::uint8_t opcode, CommandFactory factory);
  // Forgets any command in progress.
  void Reset() { current_.reset(); }
  void Receive(std::uint8_t byte, CommandContext& ctx);
  bool Busy() const { return current_ != nullptr; }
  bool Handles(std::uint8_t opcode) const { return static_cast<bool>(table_[opcode]); }

 private:
  std::array<CommandFactory, 256> table_{};
  std::unique_ptr<CommandRun> current_;
};

}  // namespace rzsim
