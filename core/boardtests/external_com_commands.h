#pragma once

#include <cstdint>

#include "boardtests/external_com_params.h"
#include "link/exchange_result.h"

namespace rz {

class StationContext;

// 'n': the access-timing byte and the 32 channel-map entries, kept in `state`
// (entries above 31 as absent). Also ends when the parameters request flag is
// 1. 0 after all 33 bytes; 1 on ESC or a parameters request.
ExchangeResult ReadChannelMap(StationContext& station, ExtComState& state);

// 'k' with code pattern, IRQ flag, line mode, speed code (one byte each), block
// size (two bytes) and channel count. The reply byte is awaited like those of
// 'n'. 0 when accepted; 1 when refused ('q', left in `reply`), on ESC or on a
// parameters request.
ExchangeResult SetChannelParams(StationContext& station, const ExtComParams& params, std::uint8_t& reply);

// 'h', 'u' or 'p' by FIFO mode 0, 1, 2, for the channel number `channel` from
// the channel map. For an absent position nothing is sent: `status` becomes 0
// and the result is 0. Otherwise 1 on ESC or when the board answers 0xFF.
ExchangeResult TestChannel(StationContext& station, std::int32_t fifoMode, std::uint8_t channel, std::uint8_t& status);

// 'z': counters A, B, C, D of positions 0 .. channelCount - 1, kept in `state`.
// 1 on ESC.
ExchangeResult ReadFifoCounters(StationContext& station, std::int32_t channelCount, ExtComState& state);

// The status byte with which the board reports that a channel's test failed.
inline constexpr std::uint8_t kChannelTestFailed = 0xFF;

}  // namespace rz
