#include "cli_history.h"

#include "cli_subcommand.h"

#include "app/host_system.h"
#include "history/history_store.h"
#include "session/exit_status.h"

namespace rz::cli {
namespace {

struct HistoryQuery {
  std::string uniqId;
  std::string serial;
  bool rebuild = false;
};

bool ParseQuery(const SubcommandArgs& args, HistoryQuery& query, std::string& error) {
  query = {args.Value("--board"), args.Value("--serial"), args.flags.count("--rebuild-index") != 0};
  const int asked = (query.uniqId.empty() ? 0 : 1) + (query.serial.empty() ? 0 : 1) + (query.rebuild ? 1 : 0);
  if (asked != 1) error = "history takes one of --board UNIQ_ID, --serial SN and --rebuild-index";
  return asked == 1;
}

// A Uniq_ID as the index keeps it: lower-case hex.
std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string OrDash(const std::string& text) { return text.empty() ? "-" : text; }

int ListUnits(HistoryStore& store, const HistoryQuery& query, HostSystem& system, std::FILE* out) {
  const std::string uniqId = Lower(query.uniqId);
  int found = 0;
  for (const HistoryEntry& entry : store.Entries()) {
    const bool board = !uniqId.empty() && Lower(entry.uniqId) == uniqId;
    if (!board && (query.serial.empty() || entry.serial != query.serial)) continue;
    const std::string date = entry.start.size() >= 19 ? entry.start.substr(0, 10) + " " + entry.start.substr(11, 8)
                                                      : OrDash(entry.start);
    std::fprintf(out, "%s  %s  %s  %s  %s\n", date.c_str(), OrDash(entry.station).c_str(),
                 OrDash(entry.serial).c_str(), OrDash(entry.result).c_str(),
                 system.ShownPath(store.Folder() + "/" + entry.file).c_str());
    ++found;
  }
  return found > 0 ? kExitOk : kExitFailed;
}

}  // namespace

int RunHistoryCommand(const std::vector<std::string>& args, HostSystem& system, std::FILE* out, std::FILE* err) {
  SubcommandArgs parsed;
  HistoryQuery query;
  std::string error;
  if (!ParseSubcommandArgs("history", args, {"--history", "--board", "--serial"}, {"--rebuild-index"}, parsed,
                           error) ||
      !ParseQuery(parsed, query, error)) {
    std::fprintf(err, "rzstation-cli: %s\n", error.c_str());
    return kExitUsage;
  }
  const std::string folder = HistoryFolderOf("history", parsed, system, err);
  if (folder.empty()) return kExitUsage;
  HistoryStore store(system, folder);
  if (!query.rebuild) return ListUnits(store, query, system, out);
  std::size_t units = 0;
  std::vector<std::string> unreadable;
  const bool rebuilt = store.RebuildIndex(units, unreadable, error);
  for (const std::string& name : unreadable) {
    std::fprintf(err, "rzstation-cli: history: unreadable unit file %s\n", name.c_str());
  }
  if (!rebuilt) {
    std::fprintf(err, "rzstation-cli: history: cannot rebuild the index of %s: %s\n", folder.c_str(),
                 error.c_str());
    return kExitFailed;
  }
  std::fprintf(out, "%s units in the index of %s\n", std::to_string(units).c_str(),
               system.ShownPath(folder).c_str());
  return kExitOk;
}

void ReportForwarding(const std::optional<UnitForwarder::State>& state, const std::string& folder, std::FILE* err) {
  if (!state || state->waiting == 0) return;
  std::fprintf(err, "rzstation-cli: %s unit file(s) wait for the forward folder %s%s; they are sent at the next start\n",
               std::to_string(state->waiting).c_str(), folder.c_str(), state->problem.empty() ? "" : (" (" + state->problem + ")").c_str());
}

}  // namespace rz::cli
