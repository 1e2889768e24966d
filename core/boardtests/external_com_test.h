#pragma once

#include <string>
#include <string_view>

#include "app/controls.h"
#include "boardtests/external_com_params.h"

namespace rz {

class StationContext;

// The external channel test: sends the test parameters to the board, then runs
// cycle after cycle over the channels, keeping a live table in the journal,
// until ESC or a failed exchange. SPACE in the window pauses it for the
// parameters dialog; afterwards the parameters are sent again and the test goes
// on. A cycle limit from the command line ends it as ESC would.
//
// Outcome: Aborted after ESC (or a parameters request while 'n' or 'k' waits),
// Failed when the board refused the parameters or failed a channel (0xFF);
// after a cycle limit, Success when no channel error was counted, else Failed
// (also when no channel was tested: every position of the map was absent).
Outcome ExternalComTest(StationContext& station, ExtComState& state);

// The --help paragraph on ext-com's parameters.
std::string ExternalComHelpText();

}  // namespace rz
