#pragma once

#include <string>

#include "record/run_data.h"

namespace rz {

// The run as a JUnit XML report: one test suite per unit, named by the unit,
// with the unit's identity among its properties; one test case per operation.
std::string RunJUnit(const RunData& run);

}  // namespace rz
