// Prints how long keeping one finished unit in the history takes (its file
// written whole and its index line appended), median and worst over a number
// of synthetic units of a made-up production, the size on disk per unit, and
// how long the production report over them takes (index read, figures,
// text). A program that prints figures, not a timed test.
//   bench_history [UNITS] [FOLDER]
// (default 100000 units; without FOLDER a new folder in /tmp, removed at the
// end; a FOLDER given is kept)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/host_system.h"
#include "history/history_store.h"
#include "record/record_json.h"
#include "record/unit_id.h"
#include "report/report_text.h"
#include "synthetic_production.h"

int main(int argc, char** argv) {
  const int units = argc > 1 ? std::atoi(argv[1]) : 100000;
  namespace fs = std::filesystem;
  const bool ownFolder = argc <= 2;
  const std::string folder =
      ownFolder ? (fs::temp_directory_path() / ("rz-history-bench-" + rz::NewUnitId())).string() : argv[2];
  rz::HostSystem& system = rz::PlatformHostSystem();
  rz::HistoryStore store(system, folder);
  std::string reason;
  if (units <= 0 || !store.Open(reason)) {
    std::fprintf(stderr, "bench_history: cannot use %s: %s\n", folder.c_str(), reason.c_str());
    return 2;
  }
  std::vector<double> millis;
  millis.reserve(static_cast<std::size_t>(units));
  bool failed = false;
  rz::bench::SyntheticProduction(units, 1, [&](const rz::RunData& run, const rz::RecordedUnit& unit) {
    if (failed) return;
    const auto begin = std::chrono::steady_clock::now();
    if (!store.Add(rz::UnitFileJson(run, unit), reason)) {
      std::fprintf(stderr, "bench_history: unit %zu: %s\n", millis.size(), reason.c_str());
      failed = true;
    }
    millis.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count());
  });
  if (failed) return 1;
  std::uintmax_t bytes = 0;
  for (const auto& item : fs::directory_iterator(folder)) bytes += item.file_size();
  std::sort(millis.begin(), millis.end());
  std::printf("units: %d\nhistory write per unit: median %.3f ms, 99th percentile %.3f ms, worst %.3f ms\n"
              "size on disk per unit: %.0f bytes\n",
              units, millis[millis.size() / 2], millis[millis.size() * 99 / 100], millis.back(),
              static_cast<double>(bytes) / units);
  // The report as "rzstation-cli report" makes it: a fresh read of the index.
  const auto reportStart = std::chrono::steady_clock::now();
  rz::HistoryStore reader(system, folder);
  const std::vector<rz::HistoryEntry>& entries = reader.Entries();
  const auto readDone = std::chrono::steady_clock::now();
  const rz::ProductionReport report = rz::BuildReport(entries, {});
  const std::string text = rz::ReportText(report, {});
  const auto reportDone = std::chrono::steady_clock::now();
  using Millis = std::chrono::duration<double, std::milli>;
  std::printf("report over %zu units: %.0f ms (index read %.0f ms, figures and text %.0f ms)\n", entries.size(),
              Millis(reportDone - reportStart).count(), Millis(readDone - reportStart).count(),
              Millis(reportDone - readDone).count());
  std::printf("%s", text.substr(0, text.find("\nFailures")).c_str());
  if (ownFolder) fs::remove_all(folder);
  return 0;
}
