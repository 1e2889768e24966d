#pragma once

#include <string>

#include "report/production_report.h"

namespace rz {

// The report as one self-contained HTML page: its tables and two charts
// drawn as inline SVG (first-pass yield per day, the Pareto of failures),
// with nothing loaded from elsewhere, no script and no font. `generated`
// says when it was made.
std::string ReportHtml(const ProductionReport& report, const ReportFilter& filter, const std::string& generated);

}  // namespace rz
