// Prints how long keeping one finished unit in the history takes (its file
// written whole and its index line appended), median and worst over a number
// of synthetic units, and the size on disk per unit. A program that prints
// figures, not a timed test.
//   bench_history [UNITS] [FOLDER]   (default 10000 units, a new folder in /tmp)

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

namespace {

// A board's unit as a production run leaves it: a download, a readout and a
// few tests, each with some journal lines, and a handful of measurements.
rz::RecordedUnit SyntheticUnit(int n) {
  rz::RecordedUnit unit;
  unit.id = rz::NewUnitId();
  unit.serial = "SN-" + std::to_string(n);
  unit.port = "COM1";
  unit.downloaded = true;
  unit.start = std::chrono::system_clock::now();
  rz::BoardIdentity::Processor cpu;
  cpu.uniqueId = static_cast<std::uint32_t>(n % 4000);
  unit.identity.processor = cpu;
  unit.identity.flash = rz::BoardIdentity::Flash{};
  for (const char* name : {"download", "config", "sdram", "service-com", "rtc", "ethernet-test"}) {
    rz::RecordedOperation operation;
    operation.name = name;
    operation.start = unit.start;
    operation.seconds = 3.5;
    operation.outcome = rz::Outcome::Success;
    for (int line = 0; line < 8; ++line) operation.journal.push_back(" Строка журнала операции " + std::to_string(line));
    unit.operations.push_back(std::move(operation));
  }
  for (int m = 0; m < 6; ++m) {
    unit.measurements.push_back({rz::Measurement{"value" + std::to_string(m), 1.0 * m, "V"}, std::nullopt,
                                 rz::Judgement::None});
  }
  return unit;
}

}  // namespace

int main(int argc, char** argv) {
  const int units = argc > 1 ? std::atoi(argv[1]) : 10000;
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
  rz::RunData run;
  run.program = "bench_history";
  run.labels.station = "bench";
  std::vector<double> millis;
  millis.reserve(static_cast<std::size_t>(units));
  for (int n = 0; n < units; ++n) {
    const rz::RecordedUnit unit = SyntheticUnit(n);
    const auto begin = std::chrono::steady_clock::now();
    if (!store.Add(rz::UnitFileJson(run, unit), reason)) {
      std::fprintf(stderr, "bench_history: unit %d: %s\n", n, reason.c_str());
      return 1;
    }
    millis.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count());
  }
  std::uintmax_t bytes = 0;
  for (const auto& item : fs::directory_iterator(folder)) bytes += item.file_size();
  std::sort(millis.begin(), millis.end());
  std::printf("units: %d\nhistory write per unit: median %.3f ms, worst %.3f ms\nsize on disk per unit: %.0f bytes\n",
              units, millis[millis.size() / 2], millis.back(), static_cast<double>(bytes) / units);
  const auto lookup = std::chrono::steady_clock::now();
  const std::size_t entries = store.Entries().size();
  std::printf("index read (%zu entries): %.1f ms\n", entries,
              std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - lookup).count());
  if (ownFolder) fs::remove_all(folder);
  return 0;
}
