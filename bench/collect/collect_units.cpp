// Writes N synthetic unit files, as the stations forward them, for the
// collector's benchmark: each board tested once, one in ten tested again, one
// in seven failing, four stations, 40 s apart; six operations with journal
// lines and a dozen limited measurements each (about 5 KB a file).
//   bench_collect_units N FOLDER

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "history/history_index.h"
#include "record/record_json.h"
#include "record/unit_id.h"

namespace {

rz::RecordedUnit SyntheticUnit(int n, std::chrono::system_clock::time_point start) {
  rz::RecordedUnit unit;
  unit.id = rz::NewUnitId();
  const int board = n - n / 10;  // every tenth unit tests the board before it again
  unit.serial = "SN-" + std::to_string(board);
  unit.port = "COM1";
  unit.downloaded = true;
  unit.start = start + std::chrono::seconds(40 * n);
  rz::BoardIdentity::Processor cpu;
  cpu.uniqueId = static_cast<std::uint32_t>(0x10000000 + board);
  unit.identity.processor = cpu;
  unit.identity.flash = rz::BoardIdentity::Flash{};
  for (const char* name : {"download", "config", "sdram", "service-com", "rtc", "ethernet-test"}) {
    rz::RecordedOperation operation;
    operation.name = name;
    operation.start = unit.start;
    operation.seconds = 3.5 + n % 5;
    operation.outcome = rz::Outcome::Success;
    for (int line = 0; line < 4; ++line)
      operation.journal.push_back(" Строка журнала операции " + std::to_string(line));
    unit.operations.push_back(std::move(operation));
  }
  const bool fails = n % 7 == 3;
  for (int m = 0; m < 12; ++m) {
    rz::Limit limit;
    limit.min = 0;
    limit.max = 10;
    const bool bad = fails && m == n % 12;
    unit.measurements.push_back({rz::Measurement{"measurement" + std::to_string(m), bad ? 11.0 : 1.0 * m / 2, "V"},
                                 limit, bad ? rz::Judgement::Fail : rz::Judgement::Pass});
  }
  rz::UnitVerdict verdict;
  verdict.verdict = fails ? rz::Verdict::Fail : rz::Verdict::Pass;
  verdict.product = "RZ";
  if (fails) verdict.failing.push_back("measurement" + std::to_string(n % 12));
  unit.verdict = verdict;
  return unit;
}

}  // namespace

int main(int argc, char** argv) {
  const int units = argc > 2 ? std::atoi(argv[1]) : 0;
  if (units <= 0) {
    std::fprintf(stderr, "usage: bench_collect_units N FOLDER\n");
    return 2;
  }
  const std::filesystem::path folder = argv[2];
  std::filesystem::create_directories(folder);
  const auto start = std::chrono::system_clock::now() - std::chrono::seconds(40LL * units);
  for (int n = 0; n < units; ++n) {
    rz::RunData run;
    run.program = "rzstation-cli";
    run.labels.station = "station-" + std::to_string(n % 4 + 1);
    const nlohmann::json unit = rz::UnitFileJson(run, SyntheticUnit(n, start));
    std::ofstream file(folder / rz::UnitFileName(rz::EntryOfUnit(unit, "")), std::ios::binary);
    file << unit.dump(2) << '\n';
    if (!file) {
      std::fprintf(stderr, "bench_collect_units: cannot write into %s\n", folder.c_str());
      return 1;
    }
  }
  return 0;
}
