#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "history/unit_forwarder.h"

namespace rz {
class HostSystem;
}

namespace rz::cli {

// "rzstation-cli history ...": the arguments after the word history. Lists
// the units of one board from the history's index (--board UNIQ_ID or
// --serial SN), or writes the index anew from the unit files
// (--rebuild-index); --history DIR names the folder. Returns the exit
// status: 0 done, 1 no unit of the board or a failure, 2 bad usage.
int RunHistoryCommand(const std::vector<std::string>& args, HostSystem& system, std::FILE* out, std::FILE* err);

// At the end of a run with --forward: says on `err` how many units still wait
// for the forward folder and why; nothing when all were delivered.
void ReportForwarding(const std::optional<UnitForwarder::State>& state, const std::string& folder, std::FILE* err);

}  // namespace rz::cli
