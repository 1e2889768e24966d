#pragma once

#include <string>
#include <string_view>

#include "app/operation_table.h"
#include "debug/debug_request.h"

namespace rz {

// The start step of "Отладка": opens the debug console through the window
// operations. From the window (no arguments) the console runs modally on the
// window's thread; with arguments (the command line) it runs as the station's
// one operation on a worker, so that Ctrl-C and the wait for its end work as
// for every other operation.
StartResult OpenDebugConsole(Station& station, const OperationRow& row, const OperationArgs* args);

// Parses "=TARGET:OPERATION:ADDRESS:DATA" of the debug= word.
bool ParseDebugArgument(std::string_view rest, OperationArgs& args, std::string& error);

// The command-line names of the targets, separated by '|'.
std::string DebugTargetNames();

class DebugUi;
struct DebugConsoleState;

// One operation from a request, as a person would run it: the target button,
// the three fields typed, ENTER, and once the operation is over ESC, which
// leaves target mode. Runs the target thread on the calling thread; `ui` shows
// what the window would (its fields are not read: the request's texts are).
// Returns the operation's outcome (Failed after a field error).
Outcome RunDebugRequest(Station& station, DebugUi& ui, DebugConsoleState& state, const DebugRequest& request);

}  // namespace rz
