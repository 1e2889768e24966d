#include "flash_commands.h"

#include <algorithm>
#include <optional>

#include "config_commands.h"
#include "flash_program.h"

namespace rzsim {

namespace {

using Args = std::span<const std::uint8_t>;

constexpr std::uint32_t kSmallBlock = 0x4000;
constexpr std::uint32_t kLargeBlock = 0x20000;
constexpr std::uint32_t kSmallArea = 8 * kSmallBlock;
// The longest data field a 'w' may announce; anything longer is refused
// without waiting for its data.
constexpr std::uint32_t kMaxWriteLength = 0x10000;

std::uint32_t Le32(Args bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t k = 0; k < 4; ++k) value |= static_cast<std::uint32_t>(bytes[at + k]) << (8 * k);
  return value;
}

std::uint8_t Sum(Args bytes) {
  std::uint8_t sum = 0;
  for (std::uint8_t b : bytes) sum = static_cast<std::uint8_t>(sum + b);
  return sum;
}

// The test data 't' writes: different in every byte of a block.
std::uint8_t TestByte(std::uint32_t address) {
  return static_cast<std::uint8_t>((address * 0x9Du) ^ (address >> 8) ^ 0x5A);
}

std::uint32_t Word(const std::vector<std::uint8_t>& flash, std::uint32_t at) {
  std::uint32_t value = 0;
  for (std::uint32_t k = 0; k < 4 && at + k < flash.size(); ++k) {
    value |= static_cast<std::uint32_t>(flash[at + k]) << (8 * k);
  }
  return value;
}

class Session {
 public:
  Session(FlashCommandState& state, CommandContext& ctx) : state_(state), ctx_(ctx) {}

  // Notes the command; true when it is a retry of the one before.
  bool Begin(std::uint8_t command, std::uint32_t address) {
    const bool retry = state_.lastCommand == command && state_.lastAddress == address;
    state_.lastCommand = command;
    state_.lastAddress = address;
    if (command == kOpWriteFlashBlock) ++state_.writes;
    if (command == kOpWriteFlashBlock || command == kOpReadFlashBlock) {
      ++state_.pieces;
      const std::uint32_t from = ctx_.faults.flash.silentFromPiece;
      if (from != 0 && state_.pieces >= from) state_.silenced = true;
    }
    return retry;
  }
  bool Silenced() const { return state_.silenced; }

  // The refusal chosen for this command over [start, start + length), if any.
  const FlashRefusal* Refusal(std::uint8_t command, std::uint32_t start, std::uint32_t length, bool retry) const {
    for (const FlashRefusal& r : ctx_.faults.flash.refusals) {
      if (r.command != command || (retry && r.firstOnly)) continue;
      if (r.address >= start && r.address - start < std::max<std::uint32_t>(length, 1)) return &r;
    }
    return nullptr;
  }

  void Refuse(std::uint32_t a, std::uint32_t b) {
    ctx_.out.push_back(kStatusFailed);
    PutLe32(ctx_.out, a);
    PutLe32(ctx_.out, b);
  }

  // Programs `data` at `address` (bits only cleared) and compares; answers 'Q'
  // or 'q' with the first word that did not take. Bytes past the end of the
  // Flash are dropped.
  void ProgramAndCompare(std::uint32_t address, Args data, const FlashFaults& faults) {
    std::vector<std::uint8_t>& flash = ctx_.memory.flash;
    std::optional<std::uint32_t> bad = ProgramFlash(flash, address, data, faults);
    if (!bad) {
      ctx_.out.push_back(kStatusDone);
      return;
    }
    *bad &= ~3u;
    // Expected word (what was to be written, over what the word held) and read word.
    std::uint32_t expected = Word(flash, *bad);
    for (std::uint32_t k = 0; k < 4; ++k) {
      const std::uint32_t at = *bad + k;
      if (at >= address && at - address < data.size()) {
        expected = (expected & ~(0xFFu << (8 * k))) | (static_cast<std::uint32_t>(data[at - address]) << (8 * k));
      }
    }
    Refuse(expected, Word(flash, *bad));
  }

  CommandContext& ctx() { return ctx_; }
  FlashCommandState& state() { return state_; }

 private:
  FlashCommandState& state_;
  CommandContext& ctx_;
};

void Erase(FlashCommandState& state, Args args, CommandContext& ctx) {
  Session s(state, ctx);
  const std::uint32_t address = Le32(args, 0);
  const bool retry = s.Begin(kOpEraseFlashBlock, address);
  if (s.Silenced()) return;
  const std::uint32_t start = FlashBlockStart(address);
  const std::uint32_t length = FlashBlockLength(start);
  if (const FlashRefusal* r = s.Refusal(kOpEraseFlashBlock, start, length, retry)) {
    s.Refuse(r->a, r->b);
    return;
  }
  auto& flash = ctx.memory.flash;
  if (start < flash.size()) {
    std::fill_n(flash.begin() + start, std::min<std::size_t>(length, flash.size() - start), 0xFF);
  }
  ctx.out.push_back(kStatusDone);
}

void TestRange(FlashCommandState& state, Args args, CommandContext& ctx) {
  Session s(state, ctx);
  const std::uint32_t address = Le32(args, 0);
  const std::uint32_t length = Le32(args, 4);
  const bool retry = s.Begin(kOpTestFlashRange, address);
  if (s.Silenced()) return;
  if (const FlashRefusal* r = s.Refusal(kOpTestFlashRange, address, length, retry)) {
    s.Refuse(r->a, r->b);
    return;
  }
  const std::size_t size = ctx.memory.flash.size();
  const std::uint32_t end = static_cast<std::uint32_t>(std::min<std::uint64_t>(std::uint64_t{address} + length, size));
  std::vector<std::uint8_t> data;
  for (std::uint32_t at = address; at < end; ++at) data.push_back(TestByte(at));
  // The test program's own pattern is not a write piece: every byte is programmed.
  s.ProgramAndCompare(address, data, FlashFaults{});
}

void Read(FlashCommandState& state, Args args, CommandContext& ctx) {
  Session s(state, ctx);
  const std::uint32_t address = Le32(args, 0);
  const std::uint32_t length = std::min<std::uint32_t>(Le32(args, 4), kMaxWriteLength);
  const bool retry = s.Begin(kOpReadFlashBlock, address);
  if (s.Silenced()) return;
  const auto& flash = ctx.memory.flash;
  std::vector<std::uint8_t> reply;
  reply.reserve(length + 1);
  for (std::uint64_t at = address; at < std::uint64_t{address} + length; ++at) {
    reply.push_back(at < flash.size() ? flash[at] : 0xFF);
  }
  reply.push_back(static_cast<std::uint8_t>(0u - Sum(reply)));
  for (const FlashReadFault& f : ctx.faults.flash.reads) {
    if ((retry && f.firstOnly) || f.address < address || f.address - address >= std::max<std::uint32_t>(length, 1)) {
      continue;
    }
    if (f.kind == FlashReadFault::Kind::kBadChecksum) {
      reply.back() = static_cast<std::uint8_t>(reply.back() + 1);
    } else {
      reply.erase(reply.begin() + (f.address - address));
    }
  }
  ctx.out.insert(ctx.out.end(), reply.begin(), reply.end());
}

// 'w': address, length, the data and a checksum byte, taken byte by byte.
class WriteBlock final : public CommandRun {
 public:
  explicit WriteBlock(FlashCommandState& state) : state_(state) {}

  bool Start(CommandContext&) override { return false; }

  bool Take(std::uint8_t byte, CommandContext& ctx) override {
    bytes_.push_back(byte);
    if (bytes_.size() == 8) {
      length_ = Le32(bytes_, 4);
      if (length_ > kMaxWriteLength) {
        Session s(state_, ctx);
        s.Begin(kOpWriteFlashBlock, Le32(bytes_, 0));
        if (!s.Silenced()) s.Refuse(0, 0);
        return true;
      }
    }
    if (bytes_.size() < 8 || bytes_.size() < 8 + std::size_t{length_} + 1) return false;
    Finish(ctx);
    return true;
  }

 private:
  void Finish(CommandContext& ctx) {
    Session s(state_, ctx);
    const std::uint32_t address = Le32(bytes_, 0);
    const bool retry = s.Begin(kOpWriteFlashBlock, address);
    const Args data = Args(bytes_).subspan(8, length_);
    const std::uint8_t checksum = bytes_.back();
    if (static_cast<std::uint8_t>(Sum(data) + checksum) != 0) {
      // Counted for the simulator's report; refused without naming a half.
      ++state_.badWriteChecksums;
      if (!s.Silenced()) s.Refuse(0, 0);
      return;
    }
    if (s.Silenced()) return;
    if (const FlashRefusal* r = s.Refusal(kOpWriteFlashBlock, address, length_, retry)) {
      s.Refuse(r->a, r->b);
      return;
    }
    s.ProgramAndCompare(address, data, ctx.faults.flash);
  }

  FlashCommandState& state_;
  std::vector<std::uint8_t> bytes_;
  std::uint32_t length_ = 0;
};

}  // namespace

std::uint32_t FlashBlockStart(std::uint32_t address) {
  if (address < kSmallArea) return address / kSmallBlock * kSmallBlock;
  return address / kLargeBlock * kLargeBlock;
}

std::uint32_t FlashBlockLength(std::uint32_t start) { return start < kSmallArea ? kSmallBlock : kLargeBlock; }

void RegisterFlashCommands(Dispatcher& dispatcher, FlashCommandState& state) {
  FlashCommandState* s = &state;
  dispatcher.Register(kOpEraseFlashBlock, FixedCommand(4, [s](Args a, CommandContext& ctx) { Erase(*s, a, ctx); }));
  dispatcher.Register(kOpTestFlashRange, FixedCommand(8, [s](Args a, CommandContext& ctx) { TestRange(*s, a, ctx); }));
  dispatcher.Register(kOpReadFlashBlock, FixedCommand(8, [s](Args a, CommandContext& ctx) { Read(*s, a, ctx); }));
  dispatcher.Register(kOpWriteFlashBlock,
                      [s] { return std::unique_ptr<CommandRun>(std::make_unique<WriteBlock>(*s)); });
}

}  // namespace rzsim
