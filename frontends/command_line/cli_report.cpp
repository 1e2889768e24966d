#include "cli_report.h"

#include <ctime>

#include "app/host_system.h"
#include "cli_subcommand.h"
#include "history/history_store.h"
#include "report/report_html.h"
#include "report/report_text.h"
#include "session/exit_status.h"

namespace rz::cli {
namespace {

bool IsDate(const std::string& text) { return text.size() == 10 && InstantOf(text + "T00:00:00Z").has_value(); }

std::string Now(HostSystem& system) {
  const std::tm now = system.LocalTimeNow();
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &now);
  return text;
}

}  // namespace

int RunReportCommand(const std::vector<std::string>& args, HostSystem& system, std::FILE* out, std::FILE* err) {
  SubcommandArgs parsed;
  std::string error;
  if (!ParseSubcommandArgs("report", args, {"--history", "--since", "--station", "--csv", "--html"}, {}, parsed,
                           error)) {
    std::fprintf(err, "rzstation-cli: %s\n", error.c_str());
    return kExitUsage;
  }
  const ReportFilter filter{parsed.Value("--since"), parsed.Value("--station")};
  if (!filter.since.empty() && !IsDate(filter.since)) {
    std::fprintf(err, "rzstation-cli: report: --since takes a date as YYYY-MM-DD, not '%s'\n", filter.since.c_str());
    return kExitUsage;
  }
  const std::string table = parsed.Value("--csv");
  if (!table.empty() && ReportCsv({}, table).empty()) {
    std::fprintf(err, "rzstation-cli: report: --csv takes one of %s, not '%s'\n", kReportCsvTables, table.c_str());
    return kExitUsage;
  }
  const std::string folder = HistoryFolderOf("report", parsed, system, err);
  if (folder.empty()) return kExitUsage;
  if (system.Inspect(folder, error) != PathKind::Directory) {
    std::fprintf(err, "rzstation-cli: report: no history in %s\n", system.ShownPath(folder).c_str());
    return kExitFailed;
  }
  HistoryStore store(system, folder);
  const ProductionReport report = BuildReport(store.Entries(), filter);
  const std::string html = parsed.Value("--html");
  if (!html.empty() && !ReplaceWholeFile(system, html, ReportHtml(report, filter, Now(system)), error)) {
    std::fprintf(err, "rzstation-cli: report: cannot write %s: %s\n", system.ShownPath(html).c_str(), error.c_str());
    return kExitFailed;
  }
  const std::string text = table.empty() ? ReportText(report, filter) : ReportCsv(report, table);
  std::fputs(text.c_str(), out);
  return kExitOk;
}

}  // namespace rz::cli
