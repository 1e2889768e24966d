#include "synthetic_production.h"

#include <array>
#include <string>
#include <vector>

#include "record/unit_id.h"

namespace rz::bench {
namespace {

constexpr int kStations = 4;
constexpr int kDays = 30;
constexpr double kFirstPassRate = 0.9;
constexpr double kRetestPassRate = 0.8;
// What fails, the first the most often.
constexpr std::array<const char*, 6> kFailures = {"config.ethernet.supplyMillivolts", "rtc.differenceSeconds",
                                                  "sdram.errors", "ext-com.errors[3]", "config.flash.part", "sdram"};

RecordedUnit MakeUnit(std::chrono::system_clock::time_point start, std::uint32_t uniqId, int serial,
                      const std::string& failing) {
  RecordedUnit unit;
  unit.id = NewUnitId();
  unit.serial = "SN-" + std::to_string(serial);
  unit.port = "COM1";
  unit.downloaded = true;
  unit.start = start;
  BoardIdentity::Processor cpu;
  cpu.uniqueId = uniqId;
  unit.identity.processor = cpu;
  unit.identity.flash = BoardIdentity::Flash{};
  for (const char* name : {"download", "config", "sdram", "service-com", "rtc", "ext-com"}) {
    RecordedOperation operation;
    operation.name = name;
    operation.start = start;
    operation.seconds = name == std::string("sdram") ? 20.0 : 2.5;
    operation.outcome = failing == name ? Outcome::Failed : Outcome::Success;
    for (int line = 0; line < 8; ++line) operation.journal.push_back(" Строка журнала операции " + std::to_string(line));
    unit.operations.push_back(std::move(operation));
  }
  UnitVerdict verdict;
  verdict.product = "RZ controller board";
  verdict.verdict = failing.empty() ? Verdict::Pass : Verdict::Fail;
  if (!failing.empty()) verdict.failing.push_back(failing);
  for (const char* name : kFailures) {
    Limit limit;
    limit.max = 0;
    const bool fails = failing == name;
    unit.measurements.push_back({Measurement{name, fails ? 1.0 : 0.0, ""}, limit,
                                 fails ? Judgement::Fail : Judgement::Pass});
  }
  unit.verdict = verdict;
  return unit;
}

}  // namespace

void SyntheticProduction(int units, unsigned seed,
                         const std::function<void(const RunData& run, const RecordedUnit& unit)>& take) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> chance(0, 1);
  std::geometric_distribution<int> failure(0.45);
  std::array<RunData, kStations> runs;
  for (int s = 0; s < kStations; ++s) {
    runs[s].program = "bench";
    runs[s].labels.station = "station-" + std::to_string(s + 1);
  }
  const auto begin = std::chrono::system_clock::now() - std::chrono::hours(24 * kDays);
  const auto step = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::hours(24 * kDays)) / std::max(units, 1);
  int made = 0;
  int board = 0;
  while (made < units) {
    ++board;
    bool passed = chance(random) < kFirstPassRate;
    // A board's retests follow its first test at once, at the same station.
    const int station = board % kStations;
    for (int test = 0; made < units; ++test) {
      const std::string failing = passed ? "" : kFailures[std::min<std::size_t>(failure(random), kFailures.size() - 1)];
      take(runs[station], MakeUnit(begin + step * made, static_cast<std::uint32_t>(board), board, failing));
      ++made;
      if (passed || test >= 3) break;
      passed = chance(random) < kRetestPassRate;
    }
  }
}

}  // namespace rz::bench
