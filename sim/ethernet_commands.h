#pragma once

#include "dispatcher.h"

namespace rzsim {

inline constexpr std::uint8_t kOpEnableEthernet = 'a';
inline constexpr std::uint8_t kOpDisableEthernet = 'b';

// 'a' + four address bytes: work through Ethernet at that address; 'b': stop.
// Both are answered 'Q' (or as the faults say; only 'Q' switches).
void RegisterEthernetCommands(Dispatcher& dispatcher);

}  // namespace rzsim
