#include "boardtests/external_com_commands.h"

#include <algorithm>

#include "context/station_context.h"
#include "link/exchange.h"

namespace rz {
namespace {

constexpr std::uint8_t kOpReadChannelMap = 'n';
constexpr std::uint8_t kOpSetChannelParams = 'k';
constexpr std::uint8_t kOpTestByteMode = 'h';
constexpr std::uint8_t kOpTestSerialFifo = 'u';
constexpr std::uint8_t kOpTestLatch = 'p';
constexpr std::uint8_t kOpReadFifoCounters = 'z';

std::uint8_t TestOpcode(std::int32_t fifoMode) {
  if (fifoMode == kFifoSerialIrq) return kOpTestSerialFifo;
  if (fifoMode == kFifoLatch) return kOpTestLatch;
  return kOpTestByteMode;
}

}  // namespace

ExchangeResult ReadChannelMap(StationContext& station, ExtComState& state) {
  SerialExchange exchange(station, /*watchParamsRequest=*/true);
  exchange.Write8(kOpReadChannelMap);
  if (!exchange.Await8(state.accessTiming)) return kExchangeFailed;
  for (std::uint8_t& entry : state.channelMap) {
    std::uint8_t byte = 0;
    if (!exchange.Await8(byte)) return kExchangeFailed;
    entry = byte > kHighestChannel ? kAbsentChannel : byte;
  }
  return kExchangeOk;
}

ExchangeResult SetChannelParams(StationContext& station, const ExtComParams& params, std::uint8_t& reply) {
  SerialExchange exchange(station, /*watchParamsRequest=*/true);
  const std::uint8_t request[] = {kOpSetChannelParams,
                                  static_cast<std::uint8_t>(params.codePattern),
                                  static_cast<std::uint8_t>(params.irqFlag),
                                  static_cast<std::uint8_t>(params.lineMode),
                                  params.speedCode};
  for (std::uint8_t byte : request) exchange.Write8(byte);
  exchange.Write16(static_cast<std::uint16_t>(params.blockSize));
  exchange.Write8(static_cast<std::uint8_t>(params.channelCount));
  if (!exchange.Await8(reply)) return kExchangeFailed;
  return reply == kStatusRefused ? kExchangeFailed : kExchangeOk;
}

ExchangeResult TestChannel(StationContext& station, std::int32_t fifoMode, std::uint8_t channel, std::uint8_t& status) {
  if (channel == kAbsentChannel) {
    status = 0;
    return kExchangeOk;
  }
  SerialExchange exchange(station);
  exchange.Write8(TestOpcode(fifoMode));
  exchange.Write8(channel);
  if (!exchange.Await8(status)) return kExchangeFailed;
  return status == kChannelTestFailed ? kExchangeFailed : kExchangeOk;
}

ExchangeResult ReadFifoCounters(StationContext& station, std::int32_t channelCount, ExtComState& state) {
  SerialExchange exchange(station);
  exchange.Write8(kOpReadFifoCounters);
  const int positions = std::clamp(channelCount, 0, kExtChannelPositions);
  for (int i = 0; i < positions; ++i) {
    auto& counters = state.fifoCounters[static_cast<std::size_t>(i)];
    if (!exchange.Await32(counters.a) || !exchange.Await32(counters.b) || !exchange.Await32(counters.c) ||
        !exchange.Await32(counters.d)) {
      return kExchangeFailed;
    }
  }
  return kExchangeOk;
}

}  // namespace rz
