#pragma once

#include <cstdint>

#include "dispatcher.h"
#include "ext_channels_model.h"

namespace rzsim {

inline constexpr std::uint8_t kOpReadChannelMap = 'n';
inline constexpr std::uint8_t kOpSetChannelParams = 'k';
inline constexpr std::uint8_t kOpTestByteMode = 'h';
inline constexpr std::uint8_t kOpTestSerialFifo = 'u';
inline constexpr std::uint8_t kOpTestLatch = 'p';
inline constexpr std::uint8_t kOpReadFifoCounters = 'z';

// Registers 'n', 'k', 'h', 'u', 'p' and 'z'.
void RegisterExtChannelCommands(Dispatcher& dispatcher);

}  // namespace rzsim
