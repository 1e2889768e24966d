#pragma once

#include "app/outcome.h"

namespace rz {

class StationContext;

// The Flash test: erases all 71 blocks, then has the board write and read back
// each of them, numbering the blocks in the journal. Destroys the Flash contents.
Outcome FlashTest(StationContext& station);

}  // namespace rz
