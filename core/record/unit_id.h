#pragma once

#include <string>

namespace rz {

// A new random UUID (version 4) in its usual text form, lower-case hex,
// e.g. "3f2b8c1e-9d4a-4e7b-8a61-0c5d2e9f4b13".
std::string NewUnitId();

}  // namespace rz
