#include "config_commands.h"

namespace rzsim {

namespace {

using Args = std::span<const std::uint8_t>;

void ReadCpuId(Args, CommandContext& ctx) {
  PutLe32(ctx.out, ctx.model.cpu.unique);
  for (std::uint32_t word : ctx.model.cpu.random) PutLe32(ctx.out, word);
}

void ReadSdramConfig(Args, CommandContext& ctx) { PutLe32(ctx.out, ctx.model.sdramConfig); }

void ReadFlashId(Args, CommandContext& ctx) {
  const FlashIdentity& flash = ctx.model.flash;
  ctx.out.push_back(flash.busWidth);
  PutLe32(ctx.out, flash.manufacturer);
  PutLe32(ctx.out, flash.device);
  PutLe32(ctx.out, flash.cfi);
  for (std::uint32_t word : ctx.model.securityId) PutLe32(ctx.out, word);
}

void ReadEthernetConfig(Args, CommandContext& ctx) {
  ctx.state.ethernetSteps = 0;
  if (ctx.faults.ethFail) {
    ctx.out.push_back(kStatusFailed);
    return;
  }
  const EthernetParams& eth = ctx.model.ethernet;
  ctx.out.push_back(eth.eeprom);
  ctx.out.push_back(eth.duplex);
  PutLe16(ctx.out, eth.base);
  PutLe16(ctx.out, eth.irq);
  ctx.out.push_back(eth.voltage);
  ctx.out.push_back(ctx.faults.ethClose);
}

// The board offers a clock with one byte: 'Q' means it stays at 74 MHz, any
// other byte that it moves to 90 MHz. The station confirms by sending the
// byte back; the board switches only on that confirmation, and from then on
// its line runs at 57600 baud.
class SwitchCpuClock final : public CommandRun {
 public:
  bool Start(CommandContext& ctx) override {
    answer_ = ctx.faults.clockAnswer;
    ctx.out.push_back(answer_);
    return false;
  }

  bool Take(std::uint8_t echo, CommandContext& ctx) override {
    if (echo == answer_ && answer_ != kStatusDone) ctx.state.cpuAt90MHz = true;
    return true;
  }

 private:
  std::uint8_t answer_ = 0;
};

}  // namespace

void RegisterConfigCommands(Dispatcher& dispatcher) {
  dispatcher.Register(kOpReadCpuId, FixedCommand(0, ReadCpuId));
  dispatcher.Register(kOpReadSdramConfig, FixedCommand(0, ReadSdramConfig));
  dispatcher.Register(kOpReadFlashId, FixedCommand(0, ReadFlashId));
  dispatcher.Register(kOpReadEthernetConfig, FixedCommand(0, ReadEthernetConfig));
  dispatcher.Register(kOpSwitchCpuClock,
                      [] { return std::unique_ptr<CommandRun>(std::make_unique<SwitchCpuClock>()); });
}

}  // namespace rzsim
