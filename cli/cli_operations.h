#pragma once

#include <string>

#include "app/outcome.h"

namespace rz {
class Station;
}

namespace rz::cli {

class CliUi;

bool IsKnownOperation(const std::string& word);

// Runs one operation word the way the window's control runs it, waits for the
// worker to finish and returns its outcome (Failed when it could not start).
Outcome RunOperation(Station& station, CliUi& ui, const std::string& word);

}  // namespace rz::cli
