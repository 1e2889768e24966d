#include "report/report_text.h"

#include <algorithm>
#include <vector>

#include "report/report_tables.h"

namespace rz {
namespace {

std::string Field(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (const char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

std::string CsvLine(const std::vector<std::string>& fields) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) line += (i == 0 ? "" : ",") + Field(fields[i]);
  return line + "\n";
}

// Widths count characters, not bytes: a station's name may be Cyrillic.
std::size_t Characters(const std::string& text) {
  std::size_t characters = 0;
  for (const char c : text) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  return characters;
}

std::string Padded(const std::string& text, std::size_t width, bool right) {
  const std::string pad(std::max(width, Characters(text)) - Characters(text), ' ');
  return right ? pad + text : text + pad;
}

// The table in aligned columns, figures to the right; "-" for an empty cell.
std::string Aligned(const ReportTable& table) {
  std::vector<std::vector<std::string>> lines = {table.titles};
  for (const auto& row : table.rows) {
    lines.push_back(row);
    for (std::string& cell : lines.back()) cell = cell.empty() ? "-" : cell;
  }
  std::vector<std::size_t> widths(table.titles.size(), 0);
  for (const auto& line : lines) {
    for (std::size_t i = 0; i < line.size() && i < widths.size(); ++i) {
      widths[i] = std::max(widths[i], Characters(line[i]));
    }
  }
  std::string text;
  for (const auto& line : lines) {
    std::string out;
    for (std::size_t i = 0; i < line.size() && i < widths.size(); ++i) {
      out += "  " + Padded(line[i], widths[i], i >= table.textColumns);
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    text += out + "\n";
  }
  return text;
}

}  // namespace

std::string ReportText(const ProductionReport& report, const ReportFilter& filter) {
  std::string text = "Production report: " + ReportSummary(report, filter) + "\n";
  text += "\nBy station and day:\n" + Aligned(DaysTable(report));
  text += "\nFailures (Pareto over " + std::to_string(report.TotalFailures()) + " failures):\n";
  text += report.pareto.empty() ? "  none\n" : Aligned(ParetoTable(report));
  text += "\nBoards that passed only after a retest: " + std::to_string(report.retested.size()) + "\n";
  if (!report.retested.empty()) text += Aligned(RetestedTable(report));
  return text;
}

std::string ReportCsv(const ProductionReport& report, const std::string& name) {
  ReportTable table;
  if (name == "days") {
    table = DaysTable(report);
  } else if (name == "pareto") {
    table = ParetoTable(report);
  } else if (name == "retested") {
    table = RetestedTable(report);
  } else {
    return "";
  }
  std::string csv = CsvLine(table.csvNames);
  for (const auto& row : table.rows) csv += CsvLine(row);
  return csv;
}

}  // namespace rz
