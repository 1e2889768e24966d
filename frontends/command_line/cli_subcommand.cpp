#include "cli_subcommand.h"

#include "history/history_store.h"

namespace rz::cli {

bool ParseSubcommandArgs(const std::string& command, const std::vector<std::string>& args,
                         const std::set<std::string>& valueOptions, const std::set<std::string>& flagOptions,
                         SubcommandArgs& parsed, std::string& error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (flagOptions.count(arg) != 0) {
      parsed.flags.insert(arg);
      continue;
    }
    if (valueOptions.count(arg) == 0) {
      error = command + ": unknown argument '" + arg + "'";
      return false;
    }
    if (i + 1 >= args.size() || args[i + 1].empty()) {
      error = command + ": " + arg + " needs a value";
      return false;
    }
    parsed.values[arg] = args[++i];
  }
  return true;
}

std::string HistoryFolderOf(const std::string& command, const SubcommandArgs& args, HostSystem& system,
                            std::FILE* err) {
  std::string folder = args.Value("--history");
  if (folder.empty()) folder = DefaultHistoryFolder(system);
  if (folder.empty()) std::fprintf(err, "rzstation-cli: %s: no user data folder; give --history DIR\n", command.c_str());
  return folder;
}

}  // namespace rz::cli
