#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "report/production_report.h"

namespace rz {

// One of the report's tables as text cells, the same for the terminal, CSV
// and HTML. An empty cell is a figure that does not exist (a yield without a
// board tested for the first time).
struct ReportTable {
  std::vector<std::string> csvNames;  // the CSV header
  std::vector<std::string> titles;    // the header a reader sees
  std::vector<std::vector<std::string>> rows;
  std::size_t textColumns = 0;        // the first columns hold text; the rest are figures
};

ReportTable DaysTable(const ProductionReport& report);
ReportTable ParetoTable(const ProductionReport& report);
ReportTable RetestedTable(const ProductionReport& report);

// A Pareto row's share of all failures and the running share up to it.
struct ParetoShare {
  double percent = 0;
  double cumulativePercent = 0;
};
std::vector<ParetoShare> ParetoShares(const ProductionReport& report);

// The report's figures over all its days.
struct ReportTotals {
  int units = 0;
  int boards = 0;
  int firstPass = 0;
};
ReportTotals TotalsOf(const ProductionReport& report);

// What the report covers and its overall first-pass yield, as a sentence or
// two.
std::string ReportSummary(const ProductionReport& report, const ReportFilter& filter);

}  // namespace rz
