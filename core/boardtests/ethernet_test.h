#pragma once

#include <cstdint>

#include "app/outcome.h"
#include "link/exchange_result.h"

namespace rz {

class StationContext;

// The argument every test step is sent with.
inline constexpr std::uint16_t kEthernetStepArgument = 1024;
inline constexpr int kEthernetSteps = 150;

// 'l': one test step of the board's Ethernet controller. 0 only when the board
// answers 'Q'; 1 for any other byte or when aborted.
ExchangeResult EthernetTestStep(StationContext& station, std::uint16_t argument);

// The worker of "Тест ETHERNET": initialises the controller with 'i', then runs
// the 150 steps with the percentage on one line.
Outcome EthernetTest(StationContext& station);

}  // namespace rz
