#pragma once

#include <string>

#include "report/production_report.h"

namespace rz {

// The report as a reader at a terminal wants it: the figures per station and
// day, the Pareto of failures and the boards that passed after a retest.
std::string ReportText(const ProductionReport& report, const ReportFilter& filter);

// One of the report's tables as CSV (a header line, then one line a row), for
// scripts and spreadsheets: "days", "pareto" or "retested". Empty for another
// name.
std::string ReportCsv(const ProductionReport& report, const std::string& table);

// The names ReportCsv takes, for a usage message.
inline constexpr const char* kReportCsvTables = "days, pareto, retested";

}  // namespace rz
