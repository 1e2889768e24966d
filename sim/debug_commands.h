#pragma once

#include <cstdint>

#include "dispatcher.h"

namespace rzsim {

inline constexpr std::uint8_t kOpDebugAccess = 'd';
inline constexpr std::uint8_t kOpDebugChannel = 'g';
inline constexpr std::uint8_t kOpToggleRts = 'R';
inline constexpr std::uint8_t kOpToggleDtr = 'D';
inline constexpr std::uint8_t kOpStopCycle = 'q';

// The Ethernet controller's register window on the bus, and the Flash.
inline constexpr std::uint32_t kEthernetWindow = 0x50000300;
inline constexpr std::uint32_t kEthernetRegisters = 16;
inline constexpr std::uint32_t kFlashBase = 0x70000000;

// The debug console's commands: 'd' on the memory model (the Ethernet
// controller's registers, SDRAM and Flash over the board's memories), the RTS
// and DTR toggles, and 'g' on a register model of the external channels of
// its own. Cyclic operations run until 'q'.
void RegisterDebugCommands(Dispatcher& dispatcher);

}  // namespace rzsim
