#pragma once

#include <string>
#include <string_view>

#include "app/outcome.h"
#include "debug/debug_request.h"

namespace rz {

// The command-line names of the targets, separated by '|'.
std::string DebugTargetNames();

class StationContext;
class DebugUi;
struct DebugConsoleState;

// One operation from a request, as a person would run it: the target button,
// the three fields typed, ENTER, and once the operation is over ESC, which
// leaves target mode. Runs the target thread on the calling thread; `ui` shows
// what the window would (its fields are not read: the request's texts are).
// Returns the operation's outcome (Failed after a field error).
Outcome RunDebugRequest(StationContext& station, DebugUi& ui, DebugConsoleState& state, const DebugRequest& request);

}  // namespace rz
