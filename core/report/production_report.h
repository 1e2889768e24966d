#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "history/history_index.h"

namespace rz {

// Which units a report covers. The first test of a board is found over the
// whole history, whatever the filter: a board first tested before `since`
// and tested again after it is a retest.
struct ReportFilter {
  std::string since;    // "YYYY-MM-DD": only days from this one on; empty: all
  std::string station;  // only this station; empty: all
};

// One station's figures of one day. Only units with a verdict count.
struct DayFigures {
  std::string station;
  std::string day;               // the unit's local date, "YYYY-MM-DD"
  int units = 0;                 // units tested
  int boards = 0;                // boards tested for the first time
  int firstPass = 0;             // of those, the ones that passed the first time
  int retests = 0;               // units of boards tested before
  int passedAfterRetest = 0;     // boards that passed here, not the first time
  double meanSeconds = 0;        // the units' cycle time
  double maxSeconds = 0;
  std::optional<double> YieldPercent() const;  // none without a board tested for the first time
};

// How many failed units a measurement or an operation failed.
struct FailureCount {
  std::string name;
  int units = 0;
};

// A board that passed only after one or more retests.
struct RetestedBoard {
  std::string board;  // see BoardKey
  std::string serial;
  std::string firstResult;
  std::string firstDay;
  std::string passedDay;
  int tests = 0;  // its units up to and including the one that passed
};

struct ProductionReport {
  std::vector<DayFigures> days;          // by station, then day
  std::vector<FailureCount> pareto;      // the most frequent first, then by name
  std::vector<RetestedBoard> retested;   // in the order they passed
  int TotalFailures() const;
};

// What tells one board from another: the processor's Uniq_ID, else
// "serial:" and its serial number, else "unit:" and the unit's own ID.
std::string BoardKey(const HistoryEntry& entry);

// The moment an ISO 8601 time with its offset names, in milliseconds since
// 1970 (UTC); none when the text is not such a time.
std::optional<std::int64_t> InstantOf(const std::string& iso8601);

// The figures of the history's units (its index, in any order). Units
// without a verdict or without a readable start are left out.
ProductionReport BuildReport(const std::vector<HistoryEntry>& entries, const ReportFilter& filter);

// A figure to one decimal, as every report shows it.
std::string OneDecimal(double value);

}  // namespace rz
