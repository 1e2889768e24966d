// The production report over a small history whose right figures are worked
// out by hand: first tests, retests across stations and days, a board that
// never passes, units out of order in the index and in other time zones.

#include <gtest/gtest.h>

#include "report/production_report.h"
#include "report/report_html.h"
#include "report/report_text.h"

namespace rz::testing {
namespace {

HistoryEntry Unit(std::string id, std::string uniq, std::string serial, std::string station, std::string start,
                  std::string verdict, std::vector<std::string> failing, double seconds) {
  HistoryEntry entry;
  entry.unitId = std::move(id);
  entry.uniqId = std::move(uniq);
  entry.serial = std::move(serial);
  entry.station = std::move(station);
  entry.start = std::move(start);
  entry.verdict = std::move(verdict);
  entry.failing = std::move(failing);
  entry.seconds = seconds;
  return entry;
}

// Board A passes at once (after a run without a verdict); B fails at st1
// and passes at st2 an hour later, which is the next day where st2 is;
// C fails twice; D, known by its serial number only, is incomplete.
std::vector<HistoryEntry> History() {
  return {
      Unit("b2", "0000000b", "SN-B", "st2", "2026-12-02T01:00:00.000+05:00", "PASS", {}, 40),
      Unit("a0", "0000000a", "SN-A", "st1", "2026-12-01T08:00:00.000+03:00", "", {}, 5),
      Unit("a1", "0000000a", "SN-A", "st1", "2026-12-01T09:00:00.000+03:00", "PASS", {}, 10),
      Unit("b1", "0000000b", "SN-B", "st1", "2026-12-01T22:00:00.000+03:00", "FAIL", {"x", "y", "x"}, 20),
      Unit("c1", "0000000c", "", "st1", "2026-12-01T10:00:00.000+03:00", "FAIL", {"x"}, 30),
      Unit("c2", "0000000c", "", "st1", "2026-12-02T10:00:00.000+03:00", "FAIL", {"x"}, 15),
      Unit("d1", "", "SN-D", "st2", "2026-12-02T11:00:00Z", "INCOMPLETE", {"rtc"}, 7),
      Unit("bad", "0000000e", "", "st1", "yesterday", "PASS", {}, 1),
  };
}

struct Row {
  const char* station;
  const char* day;
  int units, boards, firstPass, retests, passedAfterRetest;
  double mean, max;
};

TEST(ProductionReport, FiguresPerStationAndDayCountBoardsByTheirFirstTest) {
  const struct {
    ReportFilter filter;
    std::vector<Row> rows;
    std::vector<std::pair<std::string, int>> pareto;
    std::vector<std::string> retested;
  } cases[] = {
      {{},
       {{"st1", "2026-12-01", 3, 3, 1, 0, 0, 20, 30},
        {"st1", "2026-12-02", 1, 0, 0, 1, 0, 15, 15},
        {"st2", "2026-12-02", 2, 1, 0, 1, 1, 23.5, 40}},
       {{"x", 3}, {"y", 1}},
       {"0000000b"}},
      // The first test is found over all days and stations, whatever the filter.
      {{"2026-12-02", ""},
       {{"st1", "2026-12-02", 1, 0, 0, 1, 0, 15, 15}, {"st2", "2026-12-02", 2, 1, 0, 1, 1, 23.5, 40}},
       {{"x", 1}},
       {"0000000b"}},
      {{"", "st1"},
       {{"st1", "2026-12-01", 3, 3, 1, 0, 0, 20, 30}, {"st1", "2026-12-02", 1, 0, 0, 1, 0, 15, 15}},
       {{"x", 3}, {"y", 1}},
       {}},
  };
  const std::vector<HistoryEntry> history = History();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.filter.since + "/" + c.filter.station);
    const ProductionReport report = BuildReport(history, c.filter);
    ASSERT_EQ(report.days.size(), c.rows.size());
    for (std::size_t i = 0; i < c.rows.size(); ++i) {
      const DayFigures& day = report.days[i];
      const Row& row = c.rows[i];
      EXPECT_EQ(day.station + " " + day.day, std::string(row.station) + " " + row.day);
      EXPECT_EQ((std::vector<int>{day.units, day.boards, day.firstPass, day.retests, day.passedAfterRetest}),
                (std::vector<int>{row.units, row.boards, row.firstPass, row.retests, row.passedAfterRetest}))
          << day.station << " " << day.day;
      EXPECT_DOUBLE_EQ(day.meanSeconds, row.mean);
      EXPECT_DOUBLE_EQ(day.maxSeconds, row.max);
    }
    std::vector<std::pair<std::string, int>> pareto;
    for (const FailureCount& failure : report.pareto) pareto.emplace_back(failure.name, failure.units);
    EXPECT_EQ(pareto, c.pareto);
    std::vector<std::string> retested;
    for (const RetestedBoard& board : report.retested) retested.push_back(board.board);
    EXPECT_EQ(retested, c.retested);
  }
  const ProductionReport all = BuildReport(history, {});
  EXPECT_FALSE(all.days[1].YieldPercent().has_value());
  const RetestedBoard& b = all.retested.front();
  EXPECT_EQ(b.serial + " " + b.firstResult + " " + b.firstDay + " " + b.passedDay + " " + std::to_string(b.tests),
            "SN-B FAIL 2026-12-01 2026-12-02 2");
  EXPECT_EQ(BoardKey(history[6]), "serial:SN-D");
}

TEST(ProductionReport, TimesWithTheirOffsetsAreInstants) {
  const struct {
    const char* text;
    std::optional<std::int64_t> millis;
  } cases[] = {
      {"1970-01-01T00:00:00Z", 0},
      {"1970-01-01T03:00:00.250+03:00", 250},
      {"2026-12-09T07:05:31.042+03:00", 1796789131042},
      {"2000-02-29T23:59:59-01:30", 951874199000},
      {"2026-12-09T07:05:31", std::nullopt},
      {"2026-13-09T07:05:31Z", std::nullopt},
      {"2026-12-09T07:05:31+0300", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(InstantOf(c.text), c.millis) << c.text;
}

TEST(ProductionReport, OutputsQuoteAndEscapeWhatTheyCarryAndLoadNothing) {
  std::vector<HistoryEntry> history = History();
  history[2].station = "line 1, \"<b>\"";
  const ProductionReport report = BuildReport(history, {});
  EXPECT_NE(ReportCsv(report, "days").find("\"line 1, \"\"<b>\"\"\",2026-12-01,1,1,1,100.0,0,0,10.0,10.0\n"),
            std::string::npos)
      << ReportCsv(report, "days");
  EXPECT_EQ(ReportCsv(report, "pareto"), "name,units,percent,cumulative_percent\nx,3,75.0,75.0\ny,1,25.0,100.0\n");
  EXPECT_EQ(ReportCsv(report, "other"), "");
  const std::string html = ReportHtml(report, {}, "now");
  EXPECT_NE(html.find("line 1, &quot;&lt;b&gt;&quot;"), std::string::npos);
  EXPECT_EQ(html.find("<b>\""), std::string::npos);
  for (const char* outside : {"<script", "src=", "url(", "@import", "<link"}) {
    EXPECT_EQ(html.find(outside), std::string::npos) << outside;
  }
  EXPECT_NE(ReportText(report, {}).find("First-pass yield 25.0% (1 of 4 boards)"), std::string::npos);
}

}  // namespace
}  // namespace rz::testing
