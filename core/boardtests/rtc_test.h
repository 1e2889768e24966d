#pragma once

#include <cstdint>

#include "app/outcome.h"
#include "link/exchange_result.h"

namespace rz {

class StationContext;

// 'f': the board's RTC seconds counter. Fails (1) only when aborted.
ExchangeResult ReadRtcCounter(StationContext& station, std::uint32_t& counter);

// Whether two counter readings taken ten seconds apart show a clock that
// counts seconds: the difference, in 32-bit unsigned arithmetic so that a
// counter wrapping in between still passes, is 10 or 11.
bool RtcAdvancedProperly(std::uint32_t first, std::uint32_t second);

// The worker of "Тест RTC": two counter readings around a ten-second countdown.
Outcome RtcTest(StationContext& station);

}  // namespace rz
