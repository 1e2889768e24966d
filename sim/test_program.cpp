#include "test_program.h"

#include "config_commands.h"
#include "ethernet_commands.h"
#include "line_speed.h"

namespace rzsim {

TestProgram::TestProgram(const BoardModel& model, const Faults& faults)
    : model_(model), faults_(faults) {
  RegisterConfigCommands(dispatcher_);
  RegisterEthernetCommands(dispatcher_);
}

void TestProgram::Start() {
  state_ = BoardState{};
  dispatcher_.Reset();
}

void TestProgram::Receive(std::uint8_t byte, Bytes& out) {
  CommandContext ctx{model_, faults_, state_, memory_, out};
  dispatcher_.Receive(byte, ctx);
}

std::uint32_t TestProgram::LineBaud() const {
  return state_.cpuAt90MHz ? kFastClockBaud : kProgramBaud;
}

}  // namespace rzsim
