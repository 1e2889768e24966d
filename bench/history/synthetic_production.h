#pragma once

#include <functional>
#include <random>

#include "record/run_data.h"

namespace rz::bench {

// A made-up production: boards tested at a few stations over a number of
// days, most passing the first time, some failing on a measurement or an
// operation and retested until they pass. Each unit as a production run
// leaves it: download, readout and tests with journal lines, measurements
// with limits, a verdict. `take` gets each unit with its run (station) in the
// order of their start.
void SyntheticProduction(int units, unsigned seed,
                         const std::function<void(const RunData& run, const RecordedUnit& unit)>& take);

}  // namespace rz::bench
