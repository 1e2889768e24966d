#include "ethernet_commands.h"

namespace rzsim {

namespace {

using Args = std::span<const std::uint8_t>;

// The answer the board gives, or nothing; true when the board switches.
bool Answer(CommandContext& ctx) {
  if (ctx.faults.udp.switchSilent) return false;
  ctx.out.push_back(ctx.faults.udp.switchAnswer);
  return ctx.faults.udp.switchAnswer == 'Q';
}

void EnableEthernet(Args args, CommandContext& ctx) {
  if (Answer(ctx)) ctx.state.ethernetAddress = std::array<std::uint8_t, 4>{args[0], args[1], args[2], args[3]};
}

void DisableEthernet(Args, CommandContext& ctx) {
  if (Answer(ctx)) ctx.state.ethernetAddress.reset();
}

}  // namespace

void RegisterEthernetCommands(Dispatcher& dispatcher) {
  dispatcher.Register(kOpEnableEthernet, FixedCommand(4, EnableEthernet));
  dispatcher.Register(kOpDisableEthernet, FixedCommand(0, DisableEthernet));
}

}  // namespace rzsim
