// The collector's conversions that need no database: unit file text to rows
// (what is refused and why) and rows to COPY text.

#include "unit_rows.h"

#include <gtest/gtest.h>

#include "copy_text.h"

namespace rz::collect {
namespace {

constexpr const char* kId = "\"unitId\": \"3F2B8C1E-9d4a-4e7b-8a61-0c5d2e9f4b13\"";

std::string Unit(const std::string& fields) {
  return std::string("{") + kId + ", \"start\": \"2026-12-09T07:05:31.042+03:00\"" + fields + "}";
}

TEST(UnitRows, RefusesWhatIsNoValidUnitSayingWhy) {
  const struct {
    std::string text;
    std::string reason;
  } cases[] = {
      {"[1, 2]", "not a unit: the file holds no JSON object"},
      {"{\"start\": \"2026-12-09T07:05:31Z\"}", "unitId is missing"},
      {"{\"unitId\": \"3f2b8c1e-9d4a-4e7b-8a61-0c5d2e9f4b1\", \"start\": \"2026-12-09T07:05:31Z\"}",
       "unitId is not a UUID"},
      {std::string("{") + kId + "}", "start is missing"},
      {std::string("{") + kId + ", \"start\": \"2026-12-09 07:05:31\"}",
       "start is not an ISO 8601 time with its offset"},
      {Unit(", \"serial\": 17"), "serial is not text"},
      {Unit(", \"identity\": {\"flash\": {\"securityId\": [1, 2]}}"),
       "identity.flash.securityId holds an item that is not text"},
      {Unit(", \"operations\": [{\"name\": \"rtc\", \"start\": \"yesterday\"}]"),
       "operations[0].start is not an ISO 8601 time with its offset"},
      {Unit(", \"measurements\": [{\"name\": \"x\", \"value\": true}]"),
       "measurements[0].value is neither a number nor text"},
      {Unit(", \"verdict\": {\"result\": \"FAIL\", \"failing\": \"rtc\"}"), "verdict.failing is not a list"},
      {Unit(", \"verdict\": {\"product\": \"RZ\"}"), "verdict.result is missing"},
  };
  for (const auto& c : cases) {
    UnitRows rows;
    std::string reason;
    EXPECT_FALSE(UnitRowsOfFile(c.text, rows, reason)) << c.text;
    EXPECT_EQ(reason, c.reason) << c.text;
  }
  UnitRows rows;
  std::string reason;
  EXPECT_FALSE(UnitRowsOfFile("{\"unitId\": ", rows, reason));
  EXPECT_EQ(reason.rfind("not JSON: ", 0), 0u) << reason;
}

TEST(UnitRows, TakesTheFieldsAndAddsUpTheDurations) {
  UnitRows rows;
  std::string reason;
  const std::string text = Unit(
      ", \"serial\": \"\", \"station\": {\"name\": \"A\"}, \"identity\": {\"processor\": null}, "
      "\"operations\": [{\"name\": \"a\", \"durationSeconds\": 1.25}, {\"name\": \"b\"}, "
      "{\"name\": \"c\", \"durationSeconds\": 2}], "
      "\"measurements\": [{\"name\": \"m\", \"value\": \"x\", \"limit\": {\"min\": 1}}, {\"name\": \"n\"}], "
      "\"verdict\": {\"result\": \"FAIL\", \"failing\": [\"m\"], \"marginal\": []}");
  ASSERT_TRUE(UnitRowsOfFile(text, rows, reason)) << reason;
  EXPECT_EQ(rows.unitId, "3f2b8c1e-9d4a-4e7b-8a61-0c5d2e9f4b13");
  EXPECT_EQ(rows.day, "2026-12-09");
  EXPECT_EQ(rows.serial, std::nullopt);
  EXPECT_EQ(rows.station, "A");
  EXPECT_DOUBLE_EQ(rows.seconds, 3.25);
  EXPECT_EQ(rows.verdict, "FAIL");
  EXPECT_EQ(rows.failing, std::vector<std::string>{"m"});
  ASSERT_EQ(rows.measurements.size(), 2u);
  EXPECT_EQ(rows.measurements[0].text, "x");
  EXPECT_EQ(rows.measurements[0].limit, "{\"min\":1}");
  EXPECT_EQ(rows.measurements[1].number, std::nullopt);
  EXPECT_EQ(rows.document, text);
}

TEST(UnitRows, IsoTimes) {
  for (const char* good : {"2026-12-09T07:05:31+03:00", "2026-12-09T07:05:31.042-05:30", "2026-12-09T07:05:31Z"}) {
    EXPECT_TRUE(IsIsoTime(good)) << good;
  }
  for (const char* bad : {"", "2026-12-09T07:05:31", "2026-12-09T07:05:31.+03:00", "2026-12-09T07:05:31+0300",
                          "2026-12-09T07:05:31Z ", "2026-1209T07:05:31Z"}) {
    EXPECT_FALSE(IsIsoTime(bad)) << bad;
  }
}

TEST(CopyText, EscapesTextNullsAndArrays) {
  CopyText copy;
  copy.Text("a\tb\nc\\d\re").TextOrNull(std::nullopt).Number(0.1).Number(std::nullopt).Integer(7);
  copy.TextArray({"x\"y", "back\\slash", "tab\t"}).TextArray({});
  copy.EndRow();
  EXPECT_EQ(copy.Data(), "a\\tb\\nc\\\\d\\re\t\\N\t0.1\t\\N\t7\t{\"x\\\\\"y\",\"back\\\\\\\\slash\",\"tab\\t\"}\t{}\n");
}

}  // namespace
}  // namespace rz::collect
