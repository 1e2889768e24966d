#include "debug_commands.h"

#include <array>
#include <memory>
#include <vector>

#include "config_commands.h"

namespace rzsim {

namespace {

// What the debug commands change on the board besides its memories.
struct DebugDevices {
  std::array<std::uint16_t, kEthernetRegisters> ethernet{};

  // One external channel's UART registers as the register dump reads them.
  struct Channel {
    std::uint8_t dll = 0x01, dlm = 0x00, ier = 0x00, isr = 0x01, lcr = 0x03, latch = 0, lsr = 0x60, msr = 0x00,
                 spr = 0x00;
  };
  static constexpr std::size_t kChannels = 32;
  std::array<Channel, kChannels> channels = MakeChannels();

  static Channel ResetChannel(std::size_t number) {
    Channel channel;
    channel.latch = static_cast<std::uint8_t>(number);  // tells the channels apart
    return channel;
  }
  static std::array<Channel, kChannels> MakeChannels() {
    std::array<Channel, kChannels> all{};
    for (std::size_t i = 0; i < kChannels; ++i) all[i] = ResetChannel(i);
    return all;
  }
};

// A memory on the bus: `bytes` from `base`.
struct Region {
  std::vector<std::uint8_t>& bytes;
  std::uint32_t base;
};

// The access width follows A1,A0: 0,0 a word, 1,0 a half-word, x,1 a byte.
std::uint32_t Width(std::uint32_t address) {
  if ((address & 1u) != 0) return 1;
  if ((address & 2u) != 0) return 2;
  return 4;
}

// A single memory access; false when no memory answers at the address.
bool Access(CommandContext& ctx, DebugDevices& devices, std::uint32_t address, bool write, std::uint32_t& value) {
  if (address >= kEthernetWindow && address < kEthernetWindow + kEthernetRegisters) {
    std::uint16_t& reg = devices.ethernet[address - kEthernetWindow];
    if (write) reg = static_cast<std::uint16_t>(value);
    value = reg;
    return true;
  }
  const Region regions[] = {{ctx.memory.sdram, 0}, {ctx.memory.flash, kFlashBase}};
  for (const Region& region : regions) {
    if (address < region.base) continue;
    const std::uint64_t offset = address - region.base;
    const std::uint32_t width = Width(address);
    if (offset + width > region.bytes.size()) continue;
    if (write) {
      for (std::uint32_t k = 0; k < width; ++k) region.bytes[offset + k] = static_cast<std::uint8_t>(value >> (8 * k));
    }
    std::uint32_t read = 0;
    for (std::uint32_t k = 0; k < width; ++k) read |= static_cast<std::uint32_t>(region.bytes[offset + k]) << (8 * k);
    value = read;
    return true;
  }
  return false;
}

// A command whose arguments are followed, for its cyclic forms, by a run on
// the board that takes every byte until 'q' (StopCycle).
class CyclicRun : public CommandRun {
 public:
  explicit CyclicRun(std::size_t argumentBytes) : argumentBytes_(argumentBytes) {}
  bool Start(CommandContext& ctx) override { return argumentBytes_ == 0 ? Begin(ctx) : false; }
  bool Take(std::uint8_t byte, CommandContext& ctx) override {
    if (cycling_) return byte == kOpStopCycle;
    arguments_.push_back(byte);
    return arguments_.size() == argumentBytes_ ? Begin(ctx) : false;
  }

 protected:
  // Runs the command once its arguments are in; true when it is complete,
  // false when it goes on cycling until 'q'.
  virtual bool Run(CommandContext& ctx) = 0;
  const std::vector<std::uint8_t>& Arguments() const { return arguments_; }
  std::uint32_t Le32(std::size_t at) const {
    std::uint32_t value = 0;
    for (std::size_t k = 0; k < 4; ++k) value |= static_cast<std::uint32_t>(arguments_[at + k]) << (8 * k);
    return value;
  }

 private:
  bool Begin(CommandContext& ctx) {
    if (Run(ctx)) return true;
    cycling_ = true;
    return false;
  }
  std::size_t argumentBytes_;
  std::vector<std::uint8_t> arguments_;
  bool cycling_ = false;
};

// 'd': address, data (little-endian words) and an operation code.
class DebugAccessRun final : public CyclicRun {
 public:
  explicit DebugAccessRun(std::shared_ptr<DebugDevices> devices) : CyclicRun(9), devices_(std::move(devices)) {}

 private:
  bool Run(CommandContext& ctx) override {
    const std::uint32_t address = Le32(0);
    std::uint32_t value = Le32(4);
    const std::uint8_t code = Arguments()[8];
    if (code == 0x00) {
      Access(ctx, *devices_, address, true, value);
      ctx.out.push_back(kStatusDone);
      return true;
    }
    if (code == 0x01) {
      if (!Access(ctx, *devices_, address, false, value)) value = 0xFFFFFFFF;  // nothing drives the bus
      PutLe32(ctx.out, value);
      return true;
    }
    // Cyclic: a cyclic write leaves its value, the reads and checks change nothing.
    if (code == 0x80) Access(ctx, *devices_, address, true, value);
    return false;
  }
  std::shared_ptr<DebugDevices> devices_;
};

// 'R' and 'D': the line toggles until 'q'.
class ToggleRun final : public CyclicRun {
 public:
  ToggleRun() : CyclicRun(0) {}

 private:
  bool Run(CommandContext&) override { return false; }
};

// 'g': channel, value, operation code.
class DebugChannelRun final : public CyclicRun {
 public:
  explicit DebugChannelRun(std::shared_ptr<DebugDevices> devices) : CyclicRun(3), devices_(std::move(devices)) {}

 private:
  static constexpr std::uint8_t kSpeedDivisors[] = {0, 1, 2, 3, 6, 12, 24, 48, 96};  // by speed code

  bool Run(CommandContext& ctx) override {
    const std::size_t number = Arguments()[0];
    const std::uint8_t value = Arguments()[1];
    const std::uint8_t code = Arguments()[2];
    DebugDevices::Channel none;
    DebugDevices::Channel& channel = number < DebugDevices::kChannels ? devices_->channels[number] : none;
    switch (code) {
      case 0x07:  // data-bus check: 0 when every pattern read back
        ctx.out.push_back(ctx.faults.badDataBus ? 0x01 : 0x00);
        return true;
      case 0x08:  // register dump
        for (std::uint8_t reg : {channel.dll, channel.dlm, channel.ier, channel.isr, channel.lcr, channel.latch,
                                 channel.lsr, channel.msr, channel.spr}) {
          ctx.out.push_back(number < DebugDevices::kChannels ? reg : 0xFF);
        }
        return true;
      case 0x10:  // latch-register read
        ctx.out.push_back(number < DebugDevices::kChannels ? channel.latch : 0xFF);
        return true;
      case 0x12:  // software reset
        if (number < DebugDevices::kChannels) channel = DebugDevices::ResetChannel(number);
        return true;
      case 0x05:  // transmission at the speed of the code
        if (value >= 1 && value <= 8) {
          channel.dll = kSpeedDivisors[value];
          channel.dlm = 0;
        }
        return false;
      case 0x09:  // data-bus cycle through the scratch register
        channel.spr = ctx.faults.badDataBus ? static_cast<std::uint8_t>(value ^ 0x01) : value;
        return false;
      case 0x04:
      case 0x06:
      case 0x0F:
      case 0x11: return false;
      default: return true;  // no such operation: nothing happens
    }
  }
  std::shared_ptr<DebugDevices> devices_;
};

}  // namespace

void RegisterDebugCommands(Dispatcher& dispatcher) {
  auto devices = std::make_shared<DebugDevices>();
  dispatcher.Register(kOpDebugAccess, [devices] { return std::make_unique<DebugAccessRun>(devices); });
  dispatcher.Register(kOpDebugChannel, [devices] { return std::make_unique<DebugChannelRun>(devices); });
  for (std::uint8_t opcode : {kOpToggleRts, kOpToggleDtr}) {
    dispatcher.Register(opcode, [] { return std::make_unique<ToggleRun>(); });
  }
}

}  // namespace rzsim
