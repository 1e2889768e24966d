#pragma once

#include "app/outcome.h"

namespace rz {

class Station;

// The worker of the port selector: closes the port and opens the one selected.
// Succeeds when the selected entry was opened or "NONE" was selected.
Outcome ReselectPort(Station& station);

}  // namespace rz
