#include <algorithm>
#include <cstring>

#include "board_test_commands.h"
#include "config_commands.h"

namespace rzsim {
namespace {

using Args = std::span<const std::uint8_t>;

constexpr std::size_t kMegabyte = 1u << 20;
constexpr std::uint32_t kWordBytes = 4;
// The bit a faulty word loses (or gains) between writing and reading back.
constexpr std::uint32_t kFaultyBit = 0x00000100;

std::uint32_t Le32(Args bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t k = 0; k < 4; ++k) value |= static_cast<std::uint32_t>(bytes[at + k]) << (8 * k);
  return value;
}

std::uint32_t LoadWord(const BoardMemory& memory, std::uint32_t address) {
  std::uint32_t word = 0;
  std::memcpy(&word, memory.sdram.data() + address, sizeof word);
  return word;
}

void StoreWord(BoardMemory& memory, std::uint32_t address, std::uint32_t word) {
  std::memcpy(memory.sdram.data() + address, &word, sizeof word);
}

void Refuse(CommandContext& ctx, std::uint32_t expected, std::uint32_t address, std::uint32_t read) {
  ctx.out.push_back(kStatusFailed);
  PutLe32(ctx.out, expected);
  PutLe32(ctx.out, address);
  PutLe32(ctx.out, read);
}

bool InBlock(std::uint32_t address, std::uint32_t offset, std::uint32_t length) {
  return address >= offset && address - offset < length;
}

// 'm': offset, length, megabyte index (32 bits each), mode (0/1 pass 1 write/
// compare, 2/3 pass 2). 'Q', or 'q' with expected data, address and data read.
void TestSdramBlock(Args args, CommandContext& ctx) {
  if (++ctx.state.sdramCommands == ctx.faults.sdramSilentFrom) {
    ctx.state.hung = true;
    return;
  }
  const std::uint32_t offset = Le32(args, 0);
  const std::uint32_t length = Le32(args, 4);
  const std::uint8_t mode = args[12];
  const std::uint32_t pass = mode >= 2 ? 2 : 1;
  const bool write = mode % 2 == 0;
  const std::size_t size = SdramBytesFor(ctx.model.sdramConfig);
  if (mode > 3 || offset % kWordBytes != 0 || length % kWordBytes != 0 || offset > size || length > size - offset) {
    Refuse(ctx, 0, offset, 0);
    return;
  }
  BoardMemory& memory = ctx.memory;
  if (write) {
    const auto& fail = ctx.faults.sdramWriteFail;
    if (fail && fail->pass == pass && InBlock(fail->address, offset, length)) {
      const std::uint32_t at = fail->address & ~(kWordBytes - 1);
      Refuse(ctx, SdramPattern(pass, at), at, SdramPattern(pass, at) ^ kFaultyBit);
      return;
    }
    for (std::uint32_t a = offset; a < offset + length; a += kWordBytes) StoreWord(memory, a, SdramPattern(pass, a));
    ctx.out.push_back(kStatusDone);
    return;
  }
  // The faulty words of this pass have lost a bit since they were written.
  for (const SdramFault& fault : ctx.faults.sdramErrors) {
    if (fault.pass == pass && InBlock(fault.address, offset, length)) {
      const std::uint32_t at = fault.address & ~(kWordBytes - 1);
      StoreWord(memory, at, LoadWord(memory, at) ^ kFaultyBit);
    }
  }
  for (std::uint32_t a = offset; a < offset + length; a += kWordBytes) {
    const std::uint32_t read = LoadWord(memory, a);
    if (read != SdramPattern(pass, a)) {
      Refuse(ctx, SdramPattern(pass, a), a, read);
      return;
    }
  }
  ctx.out.push_back(kStatusDone);
}

}  // namespace

std::size_t SdramBytesFor(std::uint32_t configWord) {
  // 128 Mbit chips make 32 MB; the board carries 16 MB otherwise.
  return std::min(BoardMemory::kSdramBytes, (configWord & 0x060) == 0x040 ? 32 * kMegabyte : 16 * kMegabyte);
}

std::uint32_t SdramPattern(std::uint32_t pass, std::uint32_t address) {
  // Every word holds its own address in pass 1 and the complement in pass 2,
  // so each bit of each word is written as 0 and as 1.
  return pass == 1 ? address : ~address;
}

void RegisterSdramCommands(Dispatcher& dispatcher) {
  dispatcher.Register(kOpTestSdramBlock, FixedCommand(13, TestSdramBlock));
}

}  // namespace rzsim
