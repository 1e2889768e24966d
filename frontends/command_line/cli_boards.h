#pragma once

#include <functional>

#include "cli_options.h"

namespace rz {
class StationSession;
}

namespace rz::cli {

class CliUi;

// What the board loop needs of the command line's signal handling.
struct BoardLoopSignals {
  std::function<bool()> terminateRequested;  // SIGTERM, a closed terminal, ...
  std::function<bool()> abandon;             // give up on an operation that will not stop
  std::function<void()> dropPendingPresses;  // forget Ctrl-C presses made between boards
};

// Runs the session's profile sequence for each board (options.boards, 0:
// until a termination request), giving each board its --serial in order,
// and prints one verdict line per board on stdout:
//   verdict board=2 serial=SN-2 result=FAIL failing=sdram.errors
// Returns the exit status: 0 when every board passed, 1 otherwise. An
// operation that will not stop ends the process as the operations' loop does.
int RunBoards(StationSession& session, const CliOptions& options, CliUi& ui, const BoardLoopSignals& signals);

}  // namespace rz::cli
