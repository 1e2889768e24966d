#include "board_test_commands.h"
#include "config_commands.h"

namespace rzsim {
namespace {

// 'l' with a 16-bit argument: 'Q' for a step that passed, 'q' for the failing one.
void EthernetTestStep(std::span<const std::uint8_t>, CommandContext& ctx) {
  const bool fails = ctx.faults.ethFail || ++ctx.state.ethernetSteps == ctx.faults.ethStepFail;
  ctx.out.push_back(fails ? kStatusFailed : kStatusDone);
}

}  // namespace

void RegisterEthernetTestCommands(Dispatcher& dispatcher) {
  dispatcher.Register(kOpEthernetTestStep, FixedCommand(2, EthernetTestStep));
}

}  // namespace rzsim
