#include "report/report_html.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

#include "report/report_tables.h"

namespace rz {
namespace {

constexpr int kChartWidth = 760;
constexpr int kChartHeight = 280;
constexpr int kLeft = 50;    // room for the axis' figures
constexpr int kBottom = 70;  // room for the bars' names
constexpr int kTop = 20;
constexpr std::size_t kParetoBars = 12;
constexpr std::size_t kMaxLabels = 15;     // names under the bars
constexpr double kMinSlotForFigures = 36;  // pixels a bar needs for its figure above it

std::string Escaped(const std::string& text) {
  std::string escaped;
  for (const char c : text) {
    switch (c) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      case '"': escaped += "&quot;"; break;
      default: escaped += c;
    }
  }
  return escaped;
}

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

struct Bar {
  std::string label;
  double value = 0;    // in the chart's scale
  std::string shown;   // written above the bar
};

// Bars from 0 to `top`, with grid lines at each quarter; `line` (same scale,
// one point a bar) is drawn over them when given.
std::string BarChart(const std::string& title, const std::vector<Bar>& bars, double top,
                     const std::vector<double>& line = {}) {
  const int plotWidth = kChartWidth - kLeft - 10;
  const int plotHeight = kChartHeight - kTop - kBottom;
  const double slot = bars.empty() ? plotWidth : static_cast<double>(plotWidth) / bars.size();
  const std::size_t labelEvery = std::max<std::size_t>(1, (bars.size() + kMaxLabels - 1) / kMaxLabels);
  const auto y = [&](double value) { return kTop + plotHeight - plotHeight * std::clamp(value / top, 0.0, 1.0); };
  std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(kChartWidth) +
                    "\" height=\"" + std::to_string(kChartHeight) + "\" role=\"img\" aria-label=\"" +
                    Escaped(title) + "\">\n";
  for (int quarter = 0; quarter <= 4; ++quarter) {
    const double value = top * quarter / 4;
    svg += "<line x1=\"" + std::to_string(kLeft) + "\" x2=\"" + std::to_string(kLeft + plotWidth) + "\" y1=\"" +
           Number(y(value)) + "\" y2=\"" + Number(y(value)) + "\" class=\"grid\"/>\n";
    svg += "<text x=\"" + std::to_string(kLeft - 6) + "\" y=\"" + Number(y(value) + 4) +
           "\" class=\"axis\" text-anchor=\"end\">" + Number(value) + "</text>\n";
  }
  for (std::size_t i = 0; i < bars.size(); ++i) {
    const double x = kLeft + slot * i + slot * 0.15;
    const double width = slot * 0.7;
    const double barTop = y(bars[i].value);
    svg += "<rect x=\"" + Number(x) + "\" y=\"" + Number(barTop) + "\" width=\"" + Number(width) + "\" height=\"" +
           Number(kTop + plotHeight - barTop) + "\" class=\"bar\"><title>" + Escaped(bars[i].label + ": " + bars[i].shown) +
           "</title></rect>\n";
    // With many bars, the figures go into each bar's tooltip only and every
    // few bars carry a name, so that no text runs into another.
    if (slot >= kMinSlotForFigures) {
      svg += "<text x=\"" + Number(x + width / 2) + "\" y=\"" + Number(barTop - 4) +
             "\" class=\"value\" text-anchor=\"middle\">" + Escaped(bars[i].shown) + "</text>\n";
    }
    if (i % labelEvery != 0) continue;
    const double labelX = x + width / 2;
    const double labelY = kTop + plotHeight + 12;
    svg += "<text x=\"" + Number(labelX) + "\" y=\"" + Number(labelY) + "\" class=\"label\" text-anchor=\"end\"" +
           " transform=\"rotate(-30 " + Number(labelX) + " " + Number(labelY) + ")\">" + Escaped(bars[i].label) +
           "</text>\n";
  }
  if (!line.empty()) {
    std::string points;
    for (std::size_t i = 0; i < line.size() && i < bars.size(); ++i) {
      points += Number(kLeft + slot * i + slot / 2) + "," + Number(y(line[i])) + " ";
    }
    svg += "<polyline points=\"" + points + "\" class=\"cumulative\"/>\n";
  }
  return svg + "</svg>\n";
}

std::string YieldChart(const ProductionReport& report) {
  std::map<std::string, std::pair<int, int>> days;  // day: first pass, boards
  for (const DayFigures& day : report.days) {
    days[day.day].first += day.firstPass;
    days[day.day].second += day.boards;
  }
  std::vector<Bar> bars;
  for (const auto& [day, figures] : days) {
    if (figures.second == 0) continue;
    const double yield = 100.0 * figures.first / figures.second;
    bars.push_back({day, yield, OneDecimal(yield) + "%"});
  }
  return BarChart("First-pass yield per day, %", bars, 100);
}

std::string ParetoChart(const ProductionReport& report) {
  const std::vector<ParetoShare> shares = ParetoShares(report);
  std::vector<Bar> bars;
  std::vector<double> cumulative;
  for (std::size_t i = 0; i < report.pareto.size() && i < kParetoBars; ++i) {
    bars.push_back({report.pareto[i].name, shares[i].percent, std::to_string(report.pareto[i].units)});
    cumulative.push_back(shares[i].cumulativePercent);
  }
  return BarChart("Failures, % of all (bars) and cumulative % (line)", bars, 100, cumulative);
}

std::string HtmlTable(const ReportTable& table) {
  std::string html = "<table>\n<tr>";
  for (const std::string& name : table.titles) html += "<th>" + Escaped(name) + "</th>";
  html += "</tr>\n";
  for (const auto& row : table.rows) {
    html += "<tr>";
    for (std::size_t i = 0; i < row.size(); ++i) {
      html += std::string(i < table.textColumns ? "<td>" : "<td class=\"n\">") +
              Escaped(row[i].empty() ? "-" : row[i]) + "</td>";
    }
    html += "</tr>\n";
  }
  return html + "</table>\n";
}

constexpr const char* kStyle = R"(body{font-family:sans-serif;margin:24px;color:#222}
h1{font-size:22px}h2{font-size:17px;margin-top:28px}
table{border-collapse:collapse;margin:8px 0}th,td{border:1px solid #bbb;padding:3px 8px}
th{background:#eee}td.n{text-align:right}
.grid{stroke:#ddd}.axis,.label,.value{font-size:11px;fill:#333}
.bar{fill:#4a7bb7}.cumulative{fill:none;stroke:#c0392b;stroke-width:2})";

}  // namespace

std::string ReportHtml(const ProductionReport& report, const ReportFilter& filter, const std::string& generated) {
  std::string html = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                     "<title>Production report</title>\n<style>";
  html += kStyle;
  html += "</style>\n</head>\n<body>\n<h1>Production report</h1>\n";
  html += "<p>" + Escaped(ReportSummary(report, filter)) + "</p>\n<p>Made " + Escaped(generated) + ".</p>\n";
  html += "<h2>First-pass yield per day</h2>\n" + YieldChart(report);
  html += "<h2>By station and day</h2>\n" + HtmlTable(DaysTable(report));
  html += "<h2>Failures (Pareto)</h2>\n";
  html += report.pareto.empty() ? "<p>No failures.</p>\n" : ParetoChart(report) + HtmlTable(ParetoTable(report));
  html += "<h2>Boards that passed only after a retest: " + std::to_string(report.retested.size()) + "</h2>\n";
  if (!report.retested.empty()) html += HtmlTable(RetestedTable(report));
  return html + "</body>\n</html>\n";
}

}  // namespace rz
