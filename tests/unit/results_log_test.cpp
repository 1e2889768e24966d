#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "app/cp1251.h"
#include "app/results_log.h"
#include "session/startup.h"
#include "station_fixture.h"

namespace rz::testing {
namespace {

std::tm SampleTime() {
  std::tm t{};
  t.tm_mday = 8;
  t.tm_mon = 11;
  t.tm_year = 2026 - 1900;
  t.tm_hour = 14;
  t.tm_min = 5;
  return t;
}

const std::string kHeaderBytes =
    "== \xD0\xE5\xE7\xF3\xEB\xFC\xF2\xE0\xF2\xFB \xF2\xE5\xF1\xF2\xE8\xF0\xEE\xE2\xE0\xED\xE8\xFF "
    "RZ-\xEA\xEE\xED\xF2\xF0\xEE\xEB\xEB\xE5\xF0\xE0 08.12.2026 14:05\r\n";

TEST(Cp1251, CyrillicAndLatinLookAlikesKeepTheirOwnBytes) {
  // "СOM": Cyrillic С (0xD1), then Latin O and M.
  EXPECT_EQ(Utf8ToCp1251("\u0421OM1"), "\xD1OM1");
  EXPECT_EQ(Utf8ToCp1251("Ошибка №1 ё"), "\xCE\xF8\xE8\xE1\xEA\xE0 \xB9\x31 \xB8");
  EXPECT_EQ(Utf8ToCp1251("日本"), "??");
  EXPECT_EQ(Utf8ToCp1251("\xFF\xC3"), "??");  // broken UTF-8
  EXPECT_EQ(Cp1251ToUtf8(Utf8ToCp1251("Тест RZ-контроллера")), "Тест RZ-контроллера");
}

TEST(ResultsLog, HeaderDateAndLinesInCp1251) {
  EXPECT_EQ(FormatResultsLog({}, SampleTime()), kHeaderBytes);
  EXPECT_EQ(Utf8ToCp1251("== Результаты тестирования RZ-контроллера ").size(), 42u);

  const std::string line150(150, 'a');
  const std::string log = FormatResultsLog({"", " ", " Тест", line150}, SampleTime());
  EXPECT_EQ(log, kHeaderBytes + "\r\n \r\n \xD2\xE5\xF1\xF2\r\n" + std::string(99, 'a') + "\r\n");
  // The cut counts characters, not UTF-8 bytes: 120 Cyrillic letters give 99 bytes.
  std::string cyrillic;
  for (int i = 0; i < 120; ++i) cyrillic += "ж";
  EXPECT_EQ(FormatResultsLog({cyrillic}, SampleTime()), kHeaderBytes + std::string(99, '\xE6') + "\r\n");
}

TEST(ResultsLog, StopsAfterTheLineThatPassesTheCharacterLimit) {
  const std::vector<std::string> lines(700, std::string(99, 'x'));
  const std::string log = FormatResultsLog(lines, SampleTime());
  EXPECT_EQ(log.size(), kHeaderBytes.size() + 662u * 101u);
}

class ResultsLogFile : public ScriptedStation {
 protected:
  void SetUp() override { StartWithProgram(10); }
};

TEST_F(ResultsLogFile, EachExitReplacesTheLog) {
  ui.AddJournalLine(0, " first run, a long line that is there");
  ASSERT_TRUE(WriteResultsLog(station));
  ui.journal.Clear();
  ui.AddJournalLine(0, " second");
  ASSERT_TRUE(WriteResultsLog(station));
  const std::string log = dir.Read("vesk_rz.log");
  EXPECT_EQ(log.substr(0, 42), kHeaderBytes.substr(0, 42));
  EXPECT_EQ(log.substr(42 + 18), " second\r\n");
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ResultsLogFile, DirectoryThatCannotTakeTheLogGivesTheMessage) {
#if defined(_WIN32)
  std::filesystem::create_directory(dir.File("vesk_rz.log"));
#else
  if (::geteuid() == 0) {
    // root writes into read-only directories: block the name with a directory.
    std::filesystem::create_directory(dir.File("vesk_rz.log"));
  } else {
    ::chmod(dir.Path().c_str(), 0500);
  }
#endif
  EXPECT_FALSE(WriteResultsLog(station));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].caption, "Ошибка");
  EXPECT_EQ(ui.messages[0].text, "Ошибка создания файла <vesk_rz.log>");
}

}  // namespace
}  // namespace rz::testing
