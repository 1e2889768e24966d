#include "report/production_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <numeric>
#include <unordered_map>

namespace rz {
namespace {

bool Digits(const std::string& text, std::size_t from, std::size_t count, int& value) {
  if (from + count > text.size()) return false;
  value = 0;
  for (std::size_t i = from; i < from + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
  }
  return true;
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(int year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const int era = (year >= 0 ? year : year - 399) / 400;
  const int yearOfEra = year - era * 400;
  const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return static_cast<std::int64_t>(era) * 146097 + dayOfEra - 719468;
}

// A unit the report counts, with what the report needs of it.
struct JudgedUnit {
  const HistoryEntry* entry;
  std::int64_t instant;
  std::string day;
};

bool Before(const JudgedUnit& a, const JudgedUnit& b) {
  return a.instant != b.instant ? a.instant < b.instant : a.entry->unitId < b.entry->unitId;
}

bool Passed(const JudgedUnit& unit) { return unit.entry->verdict == "PASS"; }

struct DayTotals {
  DayFigures figures;
  double secondsSum = 0;
};

class ReportBuilder {
 public:
  explicit ReportBuilder(const ReportFilter& filter) : filter_(filter) {}

  bool Covers(const JudgedUnit& unit) const {
    return (filter_.since.empty() || unit.day >= filter_.since) &&
           (filter_.station.empty() || unit.entry->station == filter_.station);
  }

  // One board's units, oldest first.
  void AddBoard(const std::string& board, const std::vector<JudgedUnit>& units) {
    const JudgedUnit& first = units.front();
    for (std::size_t i = 0; i < units.size(); ++i) {
      const JudgedUnit& unit = units[i];
      if (!Covers(unit)) continue;
      DayTotals& totals = TotalsOf(unit);
      ++totals.figures.units;
      totals.secondsSum += unit.entry->seconds;
      totals.figures.maxSeconds = std::max(totals.figures.maxSeconds, unit.entry->seconds);
      if (i == 0) {
        ++totals.figures.boards;
        if (Passed(unit)) ++totals.figures.firstPass;
      } else {
        ++totals.figures.retests;
      }
      if (unit.entry->verdict == "FAIL") CountFailures(*unit.entry);
    }
    if (Passed(first)) return;
    const auto pass = std::find_if(units.begin(), units.end(), Passed);
    if (pass == units.end() || !Covers(*pass)) return;
    ++TotalsOf(*pass).figures.passedAfterRetest;
    retested_.push_back({{board, pass->entry->serial, first.entry->verdict, first.day, pass->day,
                          static_cast<int>(pass - units.begin()) + 1},
                         *pass});
  }

  ProductionReport Finish() {
    ProductionReport report;
    for (auto& [key, totals] : days_) {
      totals.figures.meanSeconds = totals.secondsSum / totals.figures.units;
      report.days.push_back(totals.figures);
    }
    for (const auto& [name, units] : failures_) report.pareto.push_back({name, units});
    std::stable_sort(report.pareto.begin(), report.pareto.end(),
                     [](const FailureCount& a, const FailureCount& b) { return a.units > b.units; });
    std::sort(retested_.begin(), retested_.end(),
              [](const auto& a, const auto& b) { return Before(a.second, b.second); });
    for (const auto& [board, pass] : retested_) report.retested.push_back(board);
    return report;
  }

 private:
  DayTotals& TotalsOf(const JudgedUnit& unit) {
    DayTotals& totals = days_[{unit.entry->station, unit.day}];
    totals.figures.station = unit.entry->station;
    totals.figures.day = unit.day;
    return totals;
  }

  void CountFailures(const HistoryEntry& entry) {
    // Each name once per unit, however often the verdict names it.
    std::vector<std::string> names = entry.failing;
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    for (const std::string& name : names) ++failures_[name];
  }

  const ReportFilter& filter_;
  std::map<std::pair<std::string, std::string>, DayTotals> days_;
  std::map<std::string, int> failures_;
  std::vector<std::pair<RetestedBoard, JudgedUnit>> retested_;
};

}  // namespace

std::optional<double> DayFigures::YieldPercent() const {
  if (boards == 0) return std::nullopt;
  return 100.0 * firstPass / boards;
}

int ProductionReport::TotalFailures() const {
  return std::accumulate(pareto.begin(), pareto.end(), 0,
                         [](int sum, const FailureCount& failure) { return sum + failure.units; });
}

std::string BoardKey(const HistoryEntry& entry) {
  if (!entry.uniqId.empty()) return entry.uniqId;
  if (!entry.serial.empty()) return "serial:" + entry.serial;
  return "unit:" + entry.unitId;
}

std::optional<std::int64_t> InstantOf(const std::string& text) {
  // "2026-12-09T07:05:31.042+03:00"; the fraction may be missing or longer,
  // the offset may be "Z".
  int year, month, day, hour, minute, second;
  if (!Digits(text, 0, 4, year) || !Digits(text, 5, 2, month) || !Digits(text, 8, 2, day) ||
      !Digits(text, 11, 2, hour) || !Digits(text, 14, 2, minute) || !Digits(text, 17, 2, second) ||
      text[4] != '-' || text[7] != '-' || (text[10] != 'T' && text[10] != ' ') || text[13] != ':' ||
      text[16] != ':' || month < 1 || month > 12 || day < 1 || day > 31) {
    return std::nullopt;
  }
  std::size_t at = 19;
  int millis = 0;
  if (at < text.size() && text[at] == '.') {
    int scale = 100;
    for (++at; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
      millis += (text[at] - '0') * scale;
      scale /= 10;
    }
  }
  int offsetMinutes = 0;
  if (at < text.size() && text[at] == 'Z') {
    ++at;
  } else if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
    int offsetHours, offsetMins;
    if (!Digits(text, at + 1, 2, offsetHours) || text.size() < at + 6 || text[at + 3] != ':' ||
        !Digits(text, at + 4, 2, offsetMins)) {
      return std::nullopt;
    }
    offsetMinutes = (offsetHours * 60 + offsetMins) * (text[at] == '-' ? -1 : 1);
    at += 6;
  } else {
    return std::nullopt;
  }
  if (at != text.size()) return std::nullopt;
  const std::int64_t seconds = DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second -
                               static_cast<std::int64_t>(offsetMinutes) * 60;
  return seconds * 1000 + millis;
}

ProductionReport BuildReport(const std::vector<HistoryEntry>& entries, const ReportFilter& filter) {
  std::unordered_map<std::string, std::vector<JudgedUnit>> boards;
  std::vector<std::string> order;  // the boards as first met, for a report that does not depend on hashing
  for (const HistoryEntry& entry : entries) {
    if (entry.verdict.empty()) continue;
    const std::optional<std::int64_t> instant = InstantOf(entry.start);
    if (!instant) continue;
    const std::string board = BoardKey(entry);
    auto& units = boards[board];
    if (units.empty()) order.push_back(board);
    units.push_back({&entry, *instant, entry.start.substr(0, 10)});
  }
  ReportBuilder builder(filter);
  for (const std::string& board : order) {
    auto& units = boards[board];
    std::sort(units.begin(), units.end(), Before);
    builder.AddBoard(board, units);
  }
  return builder.Finish();
}

std::string OneDecimal(double value) {
  // Halves away from zero, as the database's round() does.
  const double rounded = std::round(value * 10) / 10;
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", rounded == 0 ? 0.0 : rounded);
  return text;
}

}  // namespace rz
