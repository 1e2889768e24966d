#pragma once

#include "dispatcher.h"

namespace rzsim {

inline constexpr std::uint8_t kOpReadCpuId = 'j';
inline constexpr std::uint8_t kOpReadSdramConfig = 's';
inline constexpr std::uint8_t kOpReadFlashId = '?';
inline constexpr std::uint8_t kOpReadEthernetConfig = 'i';
inline constexpr std::uint8_t kOpSwitchCpuClock = 'M';

inline constexpr std::uint8_t kStatusDone = 'Q';
inline constexpr std::uint8_t kStatusFailed = 'q';

// The commands that report what the board is and switch the CPU clock.
void RegisterConfigCommands(Dispatcher& dispatcher);

}  // namespace rzsim
