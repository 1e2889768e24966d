#pragma once

#include <vector>

#include "app/board_identity.h"
#include "app/measurement.h"

namespace rz {

// The values of a configuration readout that a production profile can hold
// against what the board should be: "config.sdram.totalMegabytes",
// "config.flash.part", "config.ethernet.supplyMillivolts", ... one for each
// field of each section read. A code the station has no name for is the text
// "???", as the journal shows it.
std::vector<Measurement> IdentityMeasurements(const BoardIdentity& identity);

}  // namespace rz
