#include "ext_channels.h"

#include <memory>

namespace rzsim {
namespace {

using Args = std::span<const std::uint8_t>;

constexpr std::uint8_t kStatusRefused = 'q';
constexpr std::uint8_t kStatusAccepted = 'Q';
constexpr std::uint8_t kChannelFailed = 0xFF;
constexpr std::uint8_t kDefaultChannelCount = 16;
constexpr std::uint16_t kDefaultBlockSize = 256;

// What the channel commands remember between commands.
struct ChannelsState {
  std::uint8_t channelCount = kDefaultChannelCount;
  std::uint16_t blockSize = kDefaultBlockSize;
  std::array<std::uint32_t, kExtChannels> tests{};  // tests run per channel number
  std::array<std::uint32_t, 256> arrivals{};       // per opcode
  bool silent = false;

  // Counts the command; true when the board has gone silent.
  bool Silenced(std::uint8_t opcode, const ExtChannelsFaults& faults) {
    ++arrivals[opcode];
    if (faults.silentOpcode == opcode && arrivals[opcode] >= faults.silentFrom) silent = true;
    return silent;
  }
};

void ReadChannelMap(ChannelsState& st, CommandContext& ctx) {
  if (st.Silenced(kOpReadChannelMap, ctx.faults.extChannels)) return;
  const ExtChannelsModel& model = ctx.model.extChannels;
  ctx.out.push_back(model.accessTiming);
  ctx.out.insert(ctx.out.end(), model.map.begin(), model.map.end());
}

// Code pattern, IRQ flag, line mode, speed code, block size (16 bits), channel count.
void SetChannelParams(ChannelsState& st, Args args, CommandContext& ctx) {
  if (st.Silenced(kOpSetChannelParams, ctx.faults.extChannels)) return;
  if (ctx.faults.extChannels.refuseParams) {
    ctx.out.push_back(kStatusRefused);
    return;
  }
  st.blockSize = static_cast<std::uint16_t>(args[4] | (args[5] << 8));
  st.channelCount = args[6];
  ctx.out.push_back(kStatusAccepted);
}

void TestChannel(ChannelsState& st, std::uint8_t opcode, Args args, CommandContext& ctx) {
  if (st.Silenced(opcode, ctx.faults.extChannels)) return;
  const std::uint8_t channel = args[0];
  if (channel >= kExtChannels) {
    ctx.out.push_back(kChannelFailed);
    return;
  }
  const auto& script = ctx.model.extChannels.status[channel];
  const std::uint32_t n = st.tests[channel]++;
  ctx.out.push_back(script.empty() ? 0x00 : script[std::min<std::size_t>(n, script.size() - 1)]);
}

void ReadFifoCounters(ChannelsState& st, CommandContext& ctx) {
  if (st.Silenced(kOpReadFifoCounters, ctx.faults.extChannels)) return;
  const std::size_t positions = std::min<std::size_t>(st.channelCount, kExtChannels);
  for (std::size_t i = 0; i < positions; ++i) {
    const auto& given = ctx.model.extChannels.fifo[i];
    const std::array<std::uint32_t, 4> counters =
        given ? *given : std::array<std::uint32_t, 4>{st.blockSize, st.blockSize, 0, 0};
    for (std::uint32_t counter : counters) PutLe32(ctx.out, counter);
  }
}

}  // namespace

void RegisterExtChannelCommands(Dispatcher& dispatcher) {
  auto st = std::make_shared<ChannelsState>();
  dispatcher.Register(kOpReadChannelMap, FixedCommand(0, [st](Args, CommandContext& ctx) { ReadChannelMap(*st, ctx); }));
  dispatcher.Register(kOpSetChannelParams,
                      FixedCommand(7, [st](Args args, CommandContext& ctx) { SetChannelParams(*st, args, ctx); }));
  for (std::uint8_t opcode : {kOpTestByteMode, kOpTestSerialFifo, kOpTestLatch}) {
    dispatcher.Register(opcode, FixedCommand(1, [st, opcode](Args args, CommandContext& ctx) {
                          TestChannel(*st, opcode, args, ctx);
                        }));
  }
  dispatcher.Register(kOpReadFifoCounters,
                      FixedCommand(0, [st](Args, CommandContext& ctx) { ReadFifoCounters(*st, ctx); }));
}

}  // namespace rzsim
