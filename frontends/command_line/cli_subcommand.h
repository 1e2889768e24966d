#pragma once

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace rz {
class HostSystem;
}

namespace rz::cli {

// The arguments of a command word such as "history" or "report": options
// that take a value and options that stand alone.
struct SubcommandArgs {
  std::map<std::string, std::string> values;
  std::set<std::string> flags;
  std::string Value(const std::string& option) const {
    const auto found = values.find(option);
    return found == values.end() ? "" : found->second;
  }
};

// False with a message naming `command` for an unknown option or a missing
// value.
bool ParseSubcommandArgs(const std::string& command, const std::vector<std::string>& args,
                         const std::set<std::string>& valueOptions, const std::set<std::string>& flagOptions,
                         SubcommandArgs& parsed, std::string& error);

// The history folder the command works on: --history DIR, else the one in the
// user's data folder. Empty, with a message on `err`, when there is none.
std::string HistoryFolderOf(const std::string& command, const SubcommandArgs& args, HostSystem& system,
                            std::FILE* err);

}  // namespace rz::cli
