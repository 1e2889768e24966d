#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace rz {
class HostSystem;
}

namespace rz::cli {

// "rzstation-cli report ...": the arguments after the word report. Prints
// the production report of the history's units (first-pass yield per
// station and day, retests, the Pareto of failures, cycle times) as text, or
// one of its tables as CSV (--csv TABLE), and writes it as an HTML page
// (--html FILE); --since DATE and --station NAME choose the units, --history
// DIR the folder. Returns the exit status: 0 done, 1 a failure, 2 bad usage.
int RunReportCommand(const std::vector<std::string>& args, HostSystem& system, std::FILE* out, std::FILE* err);

}  // namespace rz::cli
