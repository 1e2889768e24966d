#include "board_test_commands.h"

namespace rzsim {
namespace {

// 'C' or 'c', a 32-bit loop count N, then N bytes each echoed through the
// service port's loop; after the loop the line status byte and the Old, True
// and Read words.
class ServicePortLoop final : public CommandRun {
 public:
  explicit ServicePortLoop(std::uint8_t opcode) : opcode_(opcode) {}

  bool Start(CommandContext& ctx) override {
    // A board of the other variant does not know this opcode.
    return ctx.faults.serviceVariant != 0 && ctx.faults.serviceVariant != opcode_;
  }

  bool Take(std::uint8_t byte, CommandContext& ctx) override {
    if (countBytes_ < 4) {
      count_ |= static_cast<std::uint32_t>(byte) << (8 * countBytes_++);
      return countBytes_ == 4 && Finish(ctx);
    }
    const bool changed = ctx.faults.serviceMismatch && *ctx.faults.serviceMismatch == looped_;
    ctx.out.push_back(changed ? static_cast<std::uint8_t>(byte ^ 0x10) : byte);
    ++looped_;
    return Finish(ctx);
  }

 private:
  // After the last byte of the loop: the line report. True when done.
  bool Finish(CommandContext& ctx) {
    if (looped_ < count_) return false;
    ctx.out.push_back(ctx.faults.serviceStatus);
    for (std::uint32_t word : ctx.faults.serviceWords) PutLe32(ctx.out, word);
    return true;
  }

  std::uint8_t opcode_;
  std::uint32_t count_ = 0;
  int countBytes_ = 0;
  std::uint32_t looped_ = 0;
};

}  // namespace

void RegisterServicePortCommands(Dispatcher& dispatcher) {
  for (std::uint8_t opcode : {kOpTestServiceComV7, kOpTestServiceComV5}) {
    dispatcher.Register(opcode, [opcode] { return std::unique_ptr<CommandRun>(std::make_unique<ServicePortLoop>(opcode)); });
  }
}

}  // namespace rzsim
