#pragma once

#include <array>
#include <cstdint>

#include "app/controls.h"
#include "app/outcome.h"

namespace rz {

class Station;

// Serial commands that start and stop the test program's work through
// Ethernet: 'a' and the four address bytes (first number first, each written
// on its own), and 'b'. Both are answered 'Q'; any other byte, or none within
// 240 reads (about 12 s), is a failure, and so is the abort flag.
int EnableEthernet(Station& station, const std::array<std::uint8_t, 4>& address);
int DisableEthernet(Station& station);

// The worker of the Ethernet switch: tells the board to start working through
// Ethernet at the board address when the switch is checked, to stop when it is
// not, and puts the switch back where it was when that fails.
Outcome SwitchEthernet(Station& station);

}  // namespace rz
