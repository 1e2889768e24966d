#include "report/report_tables.h"

namespace rz {

ReportTable DaysTable(const ProductionReport& report) {
  ReportTable table{{"station", "day", "units", "boards", "first_pass", "yield_percent", "retests",
                     "passed_after_retest", "mean_seconds", "max_seconds"},
                    {"station", "day", "units", "boards", "first pass", "yield %", "retests", "passed after retest",
                     "mean s", "max s"},
                    {},
                    2};
  for (const DayFigures& day : report.days) {
    const auto yield = day.YieldPercent();
    table.rows.push_back({day.station, day.day, std::to_string(day.units), std::to_string(day.boards),
                          std::to_string(day.firstPass), yield ? OneDecimal(*yield) : "", std::to_string(day.retests),
                          std::to_string(day.passedAfterRetest), OneDecimal(day.meanSeconds),
                          OneDecimal(day.maxSeconds)});
  }
  return table;
}

ReportTable ParetoTable(const ProductionReport& report) {
  ReportTable table{{"name", "units", "percent", "cumulative_percent"}, {"failing", "units", "%", "cumulative %"}, {}, 1};
  const std::vector<ParetoShare> shares = ParetoShares(report);
  for (std::size_t i = 0; i < report.pareto.size(); ++i) {
    table.rows.push_back({report.pareto[i].name, std::to_string(report.pareto[i].units),
                          OneDecimal(shares[i].percent), OneDecimal(shares[i].cumulativePercent)});
  }
  return table;
}

ReportTable RetestedTable(const ProductionReport& report) {
  ReportTable table{{"board", "serial", "first_result", "first_day", "passed_day", "tests"},
                    {"board", "serial", "first result", "first day", "passed", "tests"},
                    {},
                    5};
  for (const RetestedBoard& board : report.retested) {
    table.rows.push_back({board.board, board.serial, board.firstResult, board.firstDay, board.passedDay,
                          std::to_string(board.tests)});
  }
  return table;
}

std::vector<ParetoShare> ParetoShares(const ProductionReport& report) {
  std::vector<ParetoShare> shares;
  const int total = report.TotalFailures();
  int running = 0;
  for (const FailureCount& failure : report.pareto) {
    running += failure.units;
    shares.push_back({100.0 * failure.units / total, 100.0 * running / total});
  }
  return shares;
}

ReportTotals TotalsOf(const ProductionReport& report) {
  ReportTotals totals;
  for (const DayFigures& day : report.days) {
    totals.units += day.units;
    totals.boards += day.boards;
    totals.firstPass += day.firstPass;
  }
  return totals;
}

std::string ReportSummary(const ProductionReport& report, const ReportFilter& filter) {
  const ReportTotals totals = TotalsOf(report);
  std::string text = std::to_string(totals.units) + " units, station " +
                     (filter.station.empty() ? "all" : filter.station) + ", since " +
                     (filter.since.empty() ? "the beginning" : filter.since) + ".";
  if (totals.boards > 0) {
    text += " First-pass yield " + OneDecimal(100.0 * totals.firstPass / totals.boards) + "% (" +
            std::to_string(totals.firstPass) + " of " + std::to_string(totals.boards) + " boards).";
  }
  return text;
}

}  // namespace rz
