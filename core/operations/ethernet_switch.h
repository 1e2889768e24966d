#pragma once

#include "app/outcome.h"

namespace rz {

class Station;

// The worker of the Ethernet switch: tells the board to start working through
// Ethernet at the board address when the switch is checked, to stop when it is
// not, and puts the switch back where it was when that fails.
Outcome SwitchEthernet(Station& station);

}  // namespace rz
