// rzstation-cli end to end: the program against the simulated board.

#include <gtest/gtest.h>

#include <sstream>

#include "app/cp1251.h"
#include "child_process.h"
#include "station_fixture.h"

namespace rz::testing {
namespace {

using std::chrono::milliseconds;

std::vector<std::string> SplitLines(const std::string& text, const std::string& separator) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + separator.size()) {
    lines.push_back(text.substr(start, end - start));
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

// "== Результаты тестирования RZ-контроллера DD.MM.YYYY HH:MM" in CP1251.
bool IsHeaderLine(const std::string& line) {
  const std::string header = Utf8ToCp1251("== Результаты тестирования RZ-контроллера ");
  const std::string dateShape = "00.00.0000 00:00";
  if (line.size() != header.size() + dateShape.size() || line.compare(0, header.size(), header) != 0) return false;
  for (std::size_t i = 0; i < dateShape.size(); ++i) {
    const char c = line[header.size() + i];
    if (dateShape[i] == '0' ? !std::isdigit(static_cast<unsigned char>(c)) : c != dateShape[i]) return false;
  }
  return true;
}

class CliTest : public ::testing::Test {
 protected:
  void WriteProgram(std::size_t size = 4096) { dir.Write("tst7312v26.bin", TestProgramBytes(size)); }
  void StartBoard(std::vector<std::string> options = {}) {
    board = std::make_unique<SimulatedBoard>(dir.File("COM1"), std::move(options));
  }
  std::vector<std::string> Command(std::vector<std::string> operations) {
    std::vector<std::string> args{RZ_CLI_PATH, "--workdir", dir.Path(), "--com1", dir.File("COM1"), "--com2",
                                  dir.File("COM2")};
    args.insert(args.end(), operations.begin(), operations.end());
    return args;
  }
  ProcessResult Run(std::vector<std::string> operations) { return ChildProcess(Command(operations)).Wait(); }

  TempDir dir;
  std::unique_ptr<SimulatedBoard> board;
};

TEST_F(CliTest, DownloadAndConfigurationWriteTheJournalAndTheLog) {
  WriteProgram(24576);
  StartBoard();
  const ProcessResult result = Run({"download", "config"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
  const auto lines = SplitLines(result.out, "\n");
  ASSERT_EQ(lines.size(), 5u + 23u);
  EXPECT_EQ(lines[3], " Загрузка программы: 100%");
  EXPECT_EQ(lines[4], " Контроллер готов к работе.");
  EXPECT_EQ(lines[6], " == CPU ==");
  EXPECT_EQ(lines[22], " == ETHERNET ==");

  // The log: a CP1251 header with the date and time, then the same lines.
  const std::string log = dir.Read("vesk_rz.log");
  const auto logLines = SplitLines(log, "\r\n");
  ASSERT_EQ(logLines.size(), lines.size() + 1);
  EXPECT_TRUE(IsHeaderLine(logLines[0])) << Cp1251ToUtf8(logLines[0]);
  for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(logLines[i + 1], Utf8ToCp1251(lines[i]));
  EXPECT_EQ(log.substr(log.size() - 2), "\r\n");
}

TEST_F(CliTest, StartUpFailuresAndBadUsage) {
  ProcessResult result = Run({"download"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.err, "Ошибка: Ошибка открытия файла <tst7312v26.bin>\n");
  EXPECT_EQ(result.out, "");

  WriteProgram();
  result = Run({"dance"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("unknown operation 'dance'"), std::string::npos);
  result = ChildProcess({RZ_CLI_PATH, "--service-com", "v9", "config"}).Wait();
  EXPECT_EQ(result.exitCode, 2);
  result = ChildProcess({RZ_CLI_PATH}).Wait();
  EXPECT_EQ(result.exitCode, 2);
  result = ChildProcess({RZ_CLI_PATH, "--help"}).Wait();
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_NE(result.out.find("port=COM1|COM2|NONE"), std::string::npos);
}

TEST_F(CliTest, PortReselectionWithoutTheBoard) {
  WriteProgram();
  // Neither port exists: start-up says so, then each selection reports.
  const ProcessResult result = Run({"--keep-going", "port=COM2", "port=NONE", "port=COM1"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.out,
            "\n **Ошибка открытия \u0421OM2\n **Ошибка открытия \u0421OM1/2\n"
            "\n **Ошибка открытия \u0421OM1/2\n"
            "\n **Ошибка открытия \u0421OM1\n **Ошибка открытия \u0421OM1/2\n");
  EXPECT_EQ(result.err,
            "Ошибка: Ошибка открытия <COM1>\nОшибка: Ошибка открытия <COM2>\nОшибка: Ошибка открытия <COM1>\n");
}

TEST_F(CliTest, FirstFailureStopsTheRunUnlessKeepGoing) {
  WriteProgram();
  StartBoard();
  ProcessResult result = Run({"port=COM2", "port=COM1"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.out, "\n **Ошибка открытия \u0421OM2\n **Ошибка открытия \u0421OM1/2\n");

  result = Run({"port=COM1", "download", "cpu=90", "cpu=74"});
  EXPECT_EQ(result.exitCode, 1);  // the clock selector is disabled at 90 MHz
  EXPECT_NE(result.out.find(" CPU->90МГц\n Операция выполнена.\n"), std::string::npos);
  EXPECT_NE(result.err.find("selector is disabled"), std::string::npos);
}

TEST_F(CliTest, CtrlCIsEscAndTheRunStillEndsWithTheLog) {
  WriteProgram();
  StartBoard({"--no-auto-reset"});
  ChildProcess cli(Command({"--keep-going", "download", "port=NONE"}));
  // The journal reaches a pipe only when an operation ends: give the download
  // time to start waiting for the board's RESET.
  cli.Pump(500);
  cli.Signal(SIGINT);
  const ProcessResult result = cli.Wait();
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.out.find(" Операция прервана.\n\n **Ошибка открытия \u0421OM1/2\n"), std::string::npos) << result.out;
  EXPECT_NE(dir.Read("vesk_rz.log").find(Utf8ToCp1251(" Операция прервана.")), std::string::npos);
}

TEST_F(CliTest, TerminationStopsTheRunAndWritesTheLog) {
  WriteProgram();
  StartBoard({"--silent"});
  ChildProcess cli(Command({"config", "download"}));
  cli.Pump(300);
  cli.Signal(SIGTERM);
  const ProcessResult result = cli.Wait(std::chrono::seconds(20));
  EXPECT_EQ(result.exitCode, 1);
  const std::string log = dir.Read("vesk_rz.log");
  EXPECT_NE(log.find(Utf8ToCp1251(" *Oшибка чтения параметров CPU.")), std::string::npos);
  EXPECT_EQ(log.find(Utf8ToCp1251(" == Загрузка программы в контроллер ==")), std::string::npos);
}

}  // namespace
}  // namespace rz::testing

namespace rz::testing {
namespace {

// The log holds a header and then the journal, line for line, in CP1251.
void ExpectLogOf(const TempDir& dir, const std::vector<std::string>& journal) {
  const auto logLines = SplitLines(dir.Read("vesk_rz.log"), "\r\n");
  ASSERT_EQ(logLines.size(), journal.size() + 1);
  EXPECT_TRUE(IsHeaderLine(logLines[0]));
  for (std::size_t i = 0; i < journal.size(); ++i) EXPECT_EQ(logLines[i + 1], Utf8ToCp1251(journal[i]));
}

TEST_F(CliTest, SdramTestWithItsRefreshPauses) {
  WriteProgram();
  StartBoard({"--sdram-error", "2:0x40"});
  const ProcessResult result = Run({"download", "sdram"});
  EXPECT_EQ(result.exitCode, 1) << result.err;  // the compare error fails the run
  const auto lines = SplitLines(result.out, "\n");
  ASSERT_EQ(lines.size(), 5u + 7u);
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 5, lines.end()),
            (std::vector<std::string>{"", " 1.Запись SDRAM(16 Mб): OK", "   Чтение SDRAM(16 Mб): OK",
                                      " 2.Запись SDRAM(16 Mб): OK", "   Чтение SDRAM(16 Mб): *Oшибки.",
                                      "   Addr=0x0000040 Data=0xffffffbf ErrData=0xfffffebf",
                                      "   Операция прервана."}));
  ExpectLogOf(dir, lines);
}

TEST_F(CliTest, EthernetServiceComAndRtcTests) {
  WriteProgram();
  StartBoard();
  const ProcessResult result = Run({"--service-com", "v5", "download", "ethernet-test", "service-com", "rtc"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
  const auto lines = SplitLines(result.out, "\n");
  ASSERT_EQ(lines.size(), 5u + 3u + 6u + 2u);
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 5, lines.end() - 2),
            (std::vector<std::string>{" ", " Тестирование Ethernet: 100%", " Тестирование завершено успешно.", "",
                                      " == Тестирование служебного COMa ==", " TxD->RxD: OK", " RTS->CTS,DCD: OK",
                                      " DTR->DSR,RI: OK", " Тестирование завершено успешно."}));
  EXPECT_EQ(lines[lines.size() - 2], "");
  EXPECT_TRUE(lines.back() == " Тестирование RTC: OK (10)c" || lines.back() == " Тестирование RTC: OK (11)c")
      << lines.back();
  ExpectLogOf(dir, lines);
}

}  // namespace
}  // namespace rz::testing
