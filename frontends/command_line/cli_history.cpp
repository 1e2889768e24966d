#include "cli_history.h"

#include "app/host_system.h"
#include "history/history_store.h"
#include "session/exit_status.h"

namespace rz::cli {
namespace {

struct HistoryQuery {
  std::string folder;
  std::string uniqId;
  std::string serial;
  bool rebuild = false;
};

bool ParseQuery(const std::vector<std::string>& args, HistoryQuery& query, std::string& error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::string* target = nullptr;
    if (arg == "--rebuild-index") {
      query.rebuild = true;
      continue;
    }
    if (arg == "--history") target = &query.folder;
    if (arg == "--board") target = &query.uniqId;
    if (arg == "--serial") target = &query.serial;
    if (target == nullptr) {
      error = "history: unknown argument '" + arg + "'";
      return false;
    }
    if (i + 1 >= args.size() || args[i + 1].empty()) {
      error = "history: " + arg + " needs a value";
      return false;
    }
    *target = args[++i];
  }
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
  HistoryQuery query;
  std::string error;
  if (!ParseQuery(args, query, error)) {
    std::fprintf(err, "rzstation-cli: %s\n", error.c_str());
    return kExitUsage;
  }
  if (query.folder.empty()) query.folder = DefaultHistoryFolder(system);
  if (query.folder.empty()) {
    std::fprintf(err, "rzstation-cli: history: no user data folder; give --history DIR\n");
    return kExitUsage;
  }
  HistoryStore store(system, query.folder);
  if (!query.rebuild) return ListUnits(store, query, system, out);
  std::size_t units = 0;
  std::vector<std::string> unreadable;
  const bool rebuilt = store.RebuildIndex(units, unreadable, error);
  for (const std::string& name : unreadable) {
    std::fprintf(err, "rzstation-cli: history: unreadable unit file %s\n", name.c_str());
  }
  if (!rebuilt) {
    std::fprintf(err, "rzstation-cli: history: cannot rebuild the index of %s: %s\n", query.folder.c_str(),
                 error.c_str());
    return kExitFailed;
  }
  std::fprintf(out, "%s units in the index of %s\n", std::to_string(units).c_str(),
               system.ShownPath(query.folder).c_str());
  return kExitOk;
}

}  // namespace rz::cli
