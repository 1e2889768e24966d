#include "dispatcher.h"

#include <utility>

namespace rzsim {

namespace {

class FixedRun final : public CommandRun {
 public:
  FixedRun(std::size_t argumentBytes, std::shared_ptr<const FixedHandler> handler)
      : argumentBytes_(argumentBytes), handler_(std::move(handler)) {
    arguments_.reserve(argumentBytes);
  }

  bool Start(CommandContext& ctx) override { return MaybeRun(ctx); }

  bool Take(std::uint8_t byte, CommandContext& ctx) override {
    arguments_.push_back(byte);
    return MaybeRun(ctx);
  }

 private:
  bool MaybeRun(CommandContext& ctx) {
    if (arguments_.size() < argumentBytes_) return false;
    (*handler_)(arguments_, ctx);
    return true;
  }

  std::size_t argumentBytes_;
  std::shared_ptr<const FixedHandler> handler_;
  Bytes arguments_;
};

}  // namespace

CommandFactory FixedCommand(std::size_t argumentBytes, FixedHandler handler) {
  auto shared = std::make_shared<const FixedHandler>(std::move(handler));
  return [argumentBytes, shared]() -> std::unique_ptr<CommandRun> {
    return std::make_unique<FixedRun>(argumentBytes, shared);
  };
}

void Dispatcher::Register(std::uint8_t opcode, CommandFactory factory) {
  table_[opcode] = std::move(factory);
}

void Dispatcher::Receive(std::uint8_t byte, CommandContext& ctx) {
  if (current_) {
    if (current_->Take(byte, ctx)) current_.reset();
    return;
  }
  const CommandFactory& factory = table_[byte];
  if (!factory) return;
  current_ = factory();
  if (current_->Start(ctx)) current_.reset();
}

}  // namespace rzsim
