// The history folder: its index read back whole or after a power cut, units
// added by several writers at once, the index rebuilt from the unit files,
// and what the bench is told of a board's past.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <thread>

#include "app/host_system.h"
#include "history/board_past.h"
#include "history/history_store.h"
#include "temp_dir.h"

namespace rz::testing {
namespace {

HistoryEntry Entry(std::string id, std::string serial, std::string uniq, std::string security, std::string result,
                   std::string start = "2026-12-09T07:05:31.042+03:00") {
  const std::string verdict = result == "PASS" || result == "FAIL" ? result : "";
  return {std::move(id), std::move(serial), std::move(uniq), std::move(security), std::move(result),
          std::move(start), "bench-1", "", verdict, {"sdram.errors", "rtc"}, 12.5};
}

// A unit file's content as the record writes it, the parts the index reads.
nlohmann::json Unit(const std::string& id, const std::string& serial, const std::string& start) {
  return {{"unitId", id},
          {"serial", serial},
          {"start", start},
          {"outcome", "failed"},
          {"verdict", {{"result", "PASS"}}},
          {"station", {{"name", "bench-1"}}},
          {"identity", {{"processor", {{"uniqId", "0c7312a5"}}}, {"flash", {{"securityId", {"w0", "w1", "w2", "w3"}}}}}}};
}

std::vector<std::string> Ids(const std::vector<HistoryEntry>& entries) {
  std::vector<std::string> ids;
  for (const HistoryEntry& entry : entries) ids.push_back(entry.unitId);
  return ids;
}

TEST(HistoryIndex, WholeLinesAreReadAndCutOnesSkipped) {
  const std::string a = IndexLine(Entry("a", "SN-1", "01", "", "PASS"));
  const std::string b = IndexLine(Entry("b", "", "", "", "aborted"));
  const struct {
    std::string text;
    std::vector<std::string> ids;
  } cases[] = {
      {a + b, {"a", "b"}},
      {a + b.substr(0, 20), {"a"}},                                 // the last append was cut
      {a.substr(0, a.size() - 10) + b, {"b"}},                      // a cut line, and one appended after it
      {a + "not an entry\n\n{\"serial\":\"x\"}\n" + b, {"a", "b"}},  // what is not an entry
      {"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(Ids(ParseIndex(c.text)), c.ids) << c.text;
  EXPECT_EQ(ParseIndex(a).front(), Entry("a", "SN-1", "01", "", "PASS"));
}

TEST(HistoryStore, UnitsFromSeveralWritersAtOnceAreAllKeptAndTheIndexIsRebuilt) {
  TempDir dir;
  HostSystem& system = PlatformHostSystem();
  HistoryStore store(system, dir.File("nested/history"));
  std::string reason;
  ASSERT_TRUE(store.Open(reason)) << reason;

  constexpr int kWriters = 4;
  constexpr int kUnits = 25;
  std::vector<std::thread> writers;
  for (int w = 0; w < kWriters; ++w) {
    writers.emplace_back([&, w] {
      // A store of its own, as another station's.
      HistoryStore mine(system, store.Folder());
      for (int u = 0; u < kUnits; ++u) {
        std::string why;
        const std::string id = std::to_string(w) + "-" + std::to_string(u);
        EXPECT_TRUE(mine.Add(Unit(id, "SN", "2026-12-09T07:05:" + std::to_string(10 + u) + ".000+03:00"), why)) << why;
      }
    });
  }
  for (std::thread& writer : writers) writer.join();

  const std::vector<HistoryEntry> entries = store.Entries();
  ASSERT_EQ(entries.size(), std::size_t{kWriters * kUnits});
  const std::vector<std::string> ids = Ids(entries);
  EXPECT_EQ(std::set<std::string>(ids.begin(), ids.end()).size(), entries.size());
  const HistoryEntry& first = entries.front();
  EXPECT_EQ(first.uniqId, "0c7312a5");
  EXPECT_EQ(first.flashSecurityId, "w3 w2 w1 w0");
  EXPECT_EQ(first.result, "PASS");  // the verdict before the outcome
  EXPECT_EQ(nlohmann::json::parse(dir.Read("nested/history/" + first.file))["unitId"], first.unitId);

  // A lost index and an unreadable unit file.
  std::filesystem::remove(Utf8Path(store.Folder() + "/" + kHistoryIndexName));
  dir.Write("nested/history/broken.json", {'{', '"'});
  std::size_t units = 0;
  std::vector<std::string> unreadable;
  ASSERT_TRUE(store.RebuildIndex(units, unreadable, reason)) << reason;
  EXPECT_EQ(units, entries.size());
  EXPECT_EQ(unreadable, std::vector<std::string>{"broken.json"});
  std::vector<HistoryEntry> rebuilt = store.Entries();
  EXPECT_TRUE(std::is_sorted(rebuilt.begin(), rebuilt.end(),
                             [](const HistoryEntry& a, const HistoryEntry& b) { return a.start < b.start; }));
  EXPECT_TRUE(std::is_permutation(rebuilt.begin(), rebuilt.end(), entries.begin(), entries.end()));
  // What is appended later is read on top.
  ASSERT_TRUE(store.Add(Unit("late", "SN", "2026-12-10T07:00:00.000+03:00"), reason)) << reason;
  EXPECT_EQ(store.Entries().size(), rebuilt.size() + 1);
  EXPECT_EQ(store.Entries().back().unitId, "late");
}

TEST(BoardPast, CountLastResultAndChangedIds) {
  const std::vector<HistoryEntry> past = {
      Entry("1", "SN-1", "aa", "S1", "FAIL", "2026-12-01T08:00:00.000+03:00"),
      Entry("2", "SN-9", "bb", "S9", "PASS"),
      Entry("3", "SN-1", "aa", "S1", "PASS", "2026-12-02T09:30:00.000+03:00"),
  };
  const std::string twice = " История: проверялась 2 раза, последний раз 02.12.2026 09:30 (PASS, станция bench-1)";
  const struct {
    HistoryEntry board;
    std::vector<std::string> lines;
  } cases[] = {
      {Entry("now", "SN-1", "", "S1", ""), {}},
      {Entry("now", "", "cc", "", ""), {" История: плата с этим Uniq_ID на станциях прежде не проверялась"}},
      {Entry("now", "", "aa", "S1", ""), {twice}},
      {Entry("now", "SN-2", "aa", "S2", ""),
       {twice, " *Внимание: этот Uniq_ID прежде был с другим ID защиты Flash (S1) и другим серийным номером (SN-1)"}},
      {Entry("now", "SN-2", "aa", "S1", ""), {twice, " *Внимание: этот Uniq_ID прежде был с другим серийным номером (SN-1)"}},
      {Entry("3", "", "aa", "", ""),  // the unit's own line is not its past
       {" История: проверялась 1 раз, последний раз 01.12.2026 08:00 (FAIL, станция bench-1)"}},
  };
  for (const auto& c : cases) EXPECT_EQ(BoardPastLines(past, c.board), c.lines) << c.board.uniqId;
}

}  // namespace
}  // namespace rz::testing
