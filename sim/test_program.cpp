#include "test_program.h"

#include "board_test_commands.h"
#include "config_commands.h"
#include "ext_channels.h"
#include "debug_commands.h"
#include "flash_commands.h"
#include "ethernet_commands.h"
#include "line_speed.h"

namespace rzsim {

TestProgram::TestProgram(const BoardModel& model, const Faults& faults)
    : model_(model), faults_(faults) {
  RegisterConfigCommands(dispatcher_);
  RegisterSdramCommands(dispatcher_);
  RegisterEthernetTestCommands(dispatcher_);
  RegisterRtcCommands(dispatcher_, Clock::now());
  RegisterServicePortCommands(dispatcher_);
  RegisterExtChannelCommands(dispatcher_);
  RegisterDebugCommands(dispatcher_);
  RegisterFlashCommands(dispatcher_, flashState_);
  RegisterEthernetCommands(dispatcher_);
}

void TestProgram::Start() {
  state_ = BoardState{};
  dispatcher_.Reset();
}

void TestProgram::Receive(std::uint8_t byte, Bytes& out) {
  if (state_.hung) return;
  // Bytes that start no command (the debug console's service-port stream
  // among them) are counted and dropped.
  if (!dispatcher_.Busy() && !dispatcher_.Handles(byte)) ++state_.strayBytes;
  CommandContext ctx{model_, faults_, state_, memory_, out};
  dispatcher_.Receive(byte, ctx);
}

std::uint32_t TestProgram::LineBaud() const {
  return state_.cpuAt90MHz ? kFastClockBaud : kProgramBaud;
}

}  // namespace rzsim
