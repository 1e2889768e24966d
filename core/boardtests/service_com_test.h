#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/outcome.h"

namespace rz {

class StationContext;

// Bytes sent round the service port's loop.
inline constexpr std::uint32_t kServiceLoopCount = 500;

// What the board reports after the loop: how the modem-control lines answered.
struct ServiceLineReport {
  std::uint8_t status = 0;
  std::uint32_t oldWord = 0;
  std::uint32_t trueWord = 0;
  std::uint32_t readWord = 0;
};

// The journal lines of the line checks of variant v7 (`v7`) or v5, and whether
// every check was OK.
std::vector<std::string> DescribeServiceLines(bool v7, const ServiceLineReport& report, bool& allOk);

// The worker of the service COM button: 500 bytes round the board's service
// port loop, then the modem-control line checks of the variant chosen with the
// C key ('C' for v7, 'c' for v5).
Outcome ServiceComTest(StationContext& station);

}  // namespace rz
