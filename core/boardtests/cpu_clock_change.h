#pragma once

#include <cstdint>

#include "app/outcome.h"

namespace rz {

class StationContext;

inline constexpr std::uint32_t kBaudAt90MHz = 57600;

// The worker of the CPU clock selector. "CPU 90МГц" asks the board to switch to
// 90 MHz; unless the board answers 'Q' (stays at 74 MHz) the line follows it to
// 57600 baud. "CPU 74МГц" sends nothing.
Outcome CpuClockChange(StationContext& station);

}  // namespace rz
