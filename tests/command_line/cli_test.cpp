// rzstation-cli end to end: the program against the simulated board.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "app/cp1251.h"
#include "operations/operation_table.h"
#include "app/texts.h"
#include "child_process.h"
#include "simulated_board.h"
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

// A mask of signals from /proc/PID/status: "SigBlk" (blocked by the main
// thread) or "SigCgt" (with a handler of the process).
std::uint64_t SignalMask(pid_t pid, const std::string& field) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(field + ":", 0) == 0) return std::stoull(line.substr(field.size() + 1), nullptr, 16);
  }
  return 0;
}

// Waits (bounded) until the process holds `signal` blocked and has its
// handler: from then on the program handles it, whichever thread the system
// gives it to (a sanitizer's runtime may have started a thread before the
// signal was blocked). Before that, in the moments of loading the program, a
// signal does what it does to any process.
void AwaitBlocked(pid_t pid, int signal) {
  const std::uint64_t bit = std::uint64_t{1} << (signal - 1);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (((SignalMask(pid, "SigBlk") & bit) == 0 || (SignalMask(pid, "SigCgt") & bit) == 0) &&
         std::chrono::steady_clock::now() < end) {
  }
}

class CliTest : public ::testing::Test {
 protected:
  void WriteProgram(std::size_t size = 4096) { dir.Write("tst7312v26.bin", TestProgramBytes(size)); }
  void StartBoard(std::vector<std::string> options = {}) {
    board = std::make_unique<SimulatedBoard>(dir.File("COM1"), std::move(options));
  }
  std::vector<std::string> Command(std::vector<std::string> operations) {
    // A history of the test's own: a readout shows the board as never tested.
    std::vector<std::string> args{RZ_CLI_PATH, "--workdir", dir.Path(),       "--com1",   dir.File("COM1"),
                                  "--com2",    dir.File("COM2"), "--history", dir.File("history")};
    args.insert(args.end(), operations.begin(), operations.end());
    return args;
  }
  ProcessResult Run(std::vector<std::string> operations,
                    std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    return ChildProcess(Command(operations)).Wait(limit);
  }

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
  ASSERT_EQ(lines.size(), 5u + 23u + 1u);
  EXPECT_EQ(lines[3], " Загрузка программы: 100%");
  EXPECT_EQ(lines[4], " Контроллер готов к работе.");
  EXPECT_EQ(lines[6], " == CPU ==");
  EXPECT_EQ(lines[22], " == ETHERNET ==");
  EXPECT_EQ(lines.back(), " История: плата с этим Uniq_ID на станциях прежде не проверялась");

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
  // The message names the directory searched and the system's reason.
  EXPECT_EQ(result.err, "Ошибка: Ошибка открытия файла <tst7312v26.bin> (искали в " + dir.Path() +
                            "/: нет такого файла или каталога)\n");
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
  const std::string missing = ": нет такого файла или каталога)\n";
  EXPECT_EQ(result.err, "Ошибка: Ошибка открытия <COM1> (" + dir.File("COM1") + missing +
                            "Ошибка: Ошибка открытия <COM2> (" + dir.File("COM2") + missing +
                            "Ошибка: Ошибка открытия <COM1> (" + dir.File("COM1") + missing);
}

// Without a port nobody is there to press ESC: each wait for the board ends
// at once as ESC ends it, and the file of a read survives.
TEST_F(CliTest, WithoutAPortEveryWaitEndsAtOnce) {
  WriteProgram();
  dir.Write("keep.bin", {'p', 'r', 'e', 'c', 'i', 'o', 'u', 's'});
  const auto started = std::chrono::steady_clock::now();
  const ProcessResult result =
      Run({"--keep-going", "config", "read=" + dir.File("keep.bin") + ":100", "download", "port=NONE"},
          std::chrono::seconds(20));
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
  EXPECT_EQ(result.exitCode, 1);
  for (const char* section : {" *Oшибка чтения параметров CPU.", " *Oшибка чтения параметров SDRAM.",
                              " *Oшибка чтения параметров FLASH.", " *Oшибка чтения параметров Ethernet."}) {
    EXPECT_NE(result.out.find(section), std::string::npos) << section;
  }
  EXPECT_NE(result.out.find(" Чтение Flash: 100% *ОШИБКА*\n Операция прервана.\n"), std::string::npos);
  EXPECT_NE(result.out.find(std::string(text::kPressReset) + "\n Операция прервана.\n"), std::string::npos);
  for (const char* word : {"config", "read=", "download"}) {
    EXPECT_NE(result.err.find(std::string("нет открытого порта: операция ") + word), std::string::npos) << result.err;
  }
  EXPECT_EQ(result.err.find("нет открытого порта: операция port="), std::string::npos);
  EXPECT_EQ(dir.Read("keep.bin"), "precious");
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
  EXPECT_NE(result.err.find("Переключатель CPU недоступен"), std::string::npos);
}

TEST_F(CliTest, CtrlCIsEscAndTheRunStillEndsWithTheLog) {
  WriteProgram();
  StartBoard({"--no-auto-reset"});
  // On a terminal the journal is drawn live: wait until the download asks for RESET.
  ChildProcess cli(Command({"--keep-going", "download", "port=NONE"}), ChildOutput::Terminal);
  ASSERT_TRUE(cli.AwaitOutput(text::kPressReset));
  cli.Signal(SIGINT);
  const ProcessResult result = cli.Wait();
  EXPECT_EQ(result.exitCode, 1);
  const std::string log = Cp1251ToUtf8(dir.Read("vesk_rz.log"));
  EXPECT_NE(log.find(" Операция прервана.\r\n\r\n **Ошибка открытия \u0421OM1/2\r\n"), std::string::npos) << log;
}

// Nobody presses Ctrl-C on a production line: a wait for a silent board ends
// by itself after --silence-limit as ESC ends it, each wait with its own limit.
TEST_F(CliTest, TheSilenceLimitEndsEachWaitAsEsc) {
  WriteProgram();
  dir.Write("image.bin", std::vector<std::uint8_t>(4096, 0x5A));
  struct Case {
    std::vector<std::string> board;
    std::vector<std::string> operations;
    int waits;  // each ends after one limit
    const char* lastLine;
  };
  const Case cases[] = {
      {{"--flash-silent-from", "5"}, {"--flash-service", "download", "write=" + dir.File("image.bin")}, 1,
       text::kAborted},
      {{"--silent"}, {"--keep-going", "download", "config"}, 5, text::kEthernetReadError},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.board[0]);
    board.reset();
    StartBoard(c.board);
    std::vector<std::string> operations{"--silence-limit", "1"};
    operations.insert(operations.end(), c.operations.begin(), c.operations.end());
    const auto started = std::chrono::steady_clock::now();
    const ProcessResult result = Run(operations, std::chrono::seconds(30));
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(result.exitCode, 1);
    std::string expected;
    for (int i = 0; i < c.waits; ++i) expected += "rzstation-cli: плата молчит 1 с: ожидание прервано, как по <ESC>\n";
    EXPECT_EQ(result.err, expected);
    EXPECT_EQ(SplitLines(result.out, "\n").back(), c.lastLine) << result.out;
    EXPECT_GE(took, std::chrono::seconds(c.waits));
    EXPECT_LT(took, std::chrono::seconds(c.waits + 4));
  }
  EXPECT_EQ(Run({"--silence-limit", "-1", "config"}).exitCode, 2);
}

// A port whose device goes away ends the operation at once, with its device
// named on stderr; the operations after it find no port. Ctrl-C presses close
// together are as many ESC presses: four end the four sections of a readout.
TEST_F(CliTest, APulledPortEndsTheOperationAndCtrlCPressesAreCounted) {
  WriteProgram();
  StartBoard({"--pace"});
  ChildProcess cli(Command({"--keep-going", "download", "read=" + dir.File("back.bin") + ":8388608", "config"}),
                   ChildOutput::Terminal);
  ASSERT_TRUE(cli.AwaitOutput(" == Чтение 8388608"));
  std::this_thread::sleep_for(milliseconds(300));
  board.reset();
  ProcessResult result = cli.Wait(std::chrono::seconds(2));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_LT(result.out.find(text::kAborted), result.out.find(" *Порт COM1 отключён")) << result.out;
  EXPECT_NE(result.err.find(dir.File("COM1") + ")" + text::kPortGoneNote), std::string::npos) << result.err;
  EXPECT_EQ(result.err.find("нет открытого порта: операция read="), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("нет открытого порта: операция config"), std::string::npos) << result.err;

  StartBoard({"--silent"});
  ChildProcess presses(Command({"--silence-limit", "0", "config"}), ChildOutput::Terminal);
  ASSERT_TRUE(presses.AwaitOutput(text::kCpuHeading));
  for (int i = 0; i < 4; ++i, std::this_thread::sleep_for(milliseconds(30))) presses.Signal(SIGINT);
  result = presses.Wait(std::chrono::seconds(5));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.out.find(text::kEthernetReadError), std::string::npos) << result.out;
}

TEST_F(CliTest, TerminationStopsTheRunAndWritesTheLog) {
  WriteProgram();
  StartBoard({"--silent"});
  for (const int signal : {SIGTERM, SIGHUP, SIGQUIT}) {
    ChildProcess cli(Command({"config", "download"}), ChildOutput::Terminal);
    ASSERT_TRUE(cli.AwaitOutput(text::kCpuHeading));
    cli.Signal(signal);
    const ProcessResult result = cli.Wait();
    EXPECT_EQ(result.exitCode, 1) << "signal " << signal;
    const std::string log = dir.Read("vesk_rz.log");
    EXPECT_NE(log.find(Utf8ToCp1251(" *Oшибка чтения параметров CPU.")), std::string::npos) << "signal " << signal;
    EXPECT_EQ(log.find(Utf8ToCp1251(" == Загрузка программы в контроллер ==")), std::string::npos);
  }
}

TEST_F(CliTest, SignalsAtStartUpAndAReaderThatGoesAwayLoseNothing) {
  WriteProgram();
  StartBoard();
  // Ctrl-C as soon as the process holds its signals: it is ESC for the
  // operation not yet started, so the run goes on and ends normally.
  {
    ChildProcess cli(Command({"port=NONE"}));
    AwaitBlocked(cli.Pid(), SIGINT);
    cli.Signal(SIGINT);
    const ProcessResult result = cli.Wait();
    EXPECT_EQ(cli.TermSignal(), 0);
    EXPECT_EQ(result.exitCode, 0);
  }
  // `| head -1`: the reader is gone after the first line; every operation
  // still runs and the log is complete.
  std::filesystem::remove(dir.File("vesk_rz.log"));
  std::string command;
  for (const std::string& arg : Command({"port=NONE", "port=NONE", "port=NONE"})) command += "'" + arg + "' ";
  const ProcessResult piped =
      ChildProcess({"/bin/sh", "-c", command + "| head -1 >/dev/null; echo ${PIPESTATUS:-done}"}).Wait();
  const std::string log = dir.Read("vesk_rz.log");
  std::size_t lines = 0;
  for (std::size_t at = 0; (at = log.find(Utf8ToCp1251(text::kNoPort), at)) != std::string::npos; ++at) ++lines;
  EXPECT_EQ(lines, 3u) << piped.err;
}

TEST_F(CliTest, ALogThatCannotBeWrittenFailsTheRunAndKeepsTheOldOne) {
  WriteProgram();
  // Past the file-size limit every write fails as on a full disk.
  dir.Write("vesk_rz.log", {'o', 'l', 'd'});
  std::vector<std::string> limited{"/bin/sh", "-c", "trap '' XFSZ; ulimit -f 0; exec \"$@\"", "sh"};
  for (const std::string& arg : Command({"port=NONE"})) limited.push_back(arg);
  ProcessResult result = ChildProcess(limited).Wait(std::chrono::seconds(20));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("Ошибка создания файла <vesk_rz.log>"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("файл слишком велик"), std::string::npos) << result.err;
  EXPECT_EQ(dir.Read("vesk_rz.log"), "old");

  // A FIFO or a device node in its place is refused at once, never replaced.
  std::filesystem::remove(dir.File("vesk_rz.log"));
  ASSERT_EQ(::mkfifo(dir.File("vesk_rz.log").c_str(), 0600), 0);
  result = Run({"port=NONE"}, std::chrono::seconds(10));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("это не обычный файл"), std::string::npos) << result.err;
  EXPECT_TRUE(std::filesystem::is_fifo(dir.File("vesk_rz.log")));
  std::filesystem::remove(dir.File("vesk_rz.log"));
  std::filesystem::create_symlink("/dev/full", dir.File("vesk_rz.log"));
  result = Run({"port=NONE"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("vesk_rz.log")));
}

TEST_F(CliTest, TestProgramMustBeARegularFile) {
  std::filesystem::create_directory(dir.File("tst7312v26.bin"));
  ProcessResult result = Run({"port=NONE"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("это каталог"), std::string::npos) << result.err;

  // A FIFO is refused at once: opening it does not wait for a writer.
  std::filesystem::remove(dir.File("tst7312v26.bin"));
  ASSERT_EQ(::mkfifo(dir.File("tst7312v26.bin").c_str(), 0600), 0);
  result = ChildProcess(Command({"port=NONE"})).Wait(std::chrono::seconds(5));
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("это не обычный файл"), std::string::npos) << result.err;
}

TEST_F(CliTest, HelpListsEveryOperationOfTheTable) {
  const ProcessResult result = ChildProcess({RZ_CLI_PATH, "--help"}).Wait();
  EXPECT_EQ(result.exitCode, 0);
  for (const OperationRow& row : OperationTable()) {
    if (row.cliWord == nullptr) continue;
    EXPECT_NE(result.out.find(row.cliSyntax != nullptr ? row.cliSyntax : row.cliWord), std::string::npos)
        << row.cliWord;
    EXPECT_NE(result.out.find(row.cliHelp), std::string::npos) << row.cliWord;
  }
}

TEST_F(CliTest, SecondStationOnThePortIsRefusedAndTheFirstGoesOn) {
  WriteProgram();
  StartBoard({"--no-auto-reset"});
  ChildProcess first(Command({"download"}), ChildOutput::Terminal);
  ASSERT_TRUE(first.AwaitOutput(text::kPressReset));
  TempDir other;
  other.Write("tst7312v26.bin", TestProgramBytes(100));
  const ProcessResult second =
      ChildProcess({RZ_CLI_PATH, "--workdir", other.Path(), "--com1", dir.File("COM1"), "port=COM1"}).Wait();
  EXPECT_EQ(second.exitCode, 1);
  EXPECT_NE(second.err.find("порт занят другой программой"), std::string::npos) << second.err;
  // The first station still has its board.
  board->PressReset();
  EXPECT_EQ(first.Wait().exitCode, 0);
  EXPECT_NE(Cp1251ToUtf8(dir.Read("vesk_rz.log")).find(text::kBoardReady), std::string::npos);
}

TEST_F(CliTest, SecondSimulatorOnTheSameLinkIsRefused) {
  WriteProgram();
  StartBoard();
  const std::string slave = std::filesystem::read_symlink(dir.File("COM1")).string();
  const ProcessResult second = ChildProcess({RZ_SIM_PATH, "--link", dir.File("COM1")}).Wait();
  EXPECT_NE(second.exitCode, 0);
  EXPECT_NE(second.err.find("another rzboard-sim that is still running"), std::string::npos) << second.err;
  // The first board keeps its link and still serves the station.
  EXPECT_EQ(std::filesystem::read_symlink(dir.File("COM1")).string(), slave);
  EXPECT_EQ(Run({"download"}).exitCode, 0);
}

// Ends runs with SIGTERM at random moments, several at a time: each must end
// by itself with status 1 and a whole log, never by a signal or a crash.
TEST_F(CliTest, TerminationAtRandomMomentsAlwaysEndsCleanly) {
  WriteProgram();
  StartBoard({"--boot-noise", "100000"});
  std::mt19937 random(12345);
  // Most runs are signalled while their second operation starts (the crash of
  // a watcher outliving the station showed there), some at once.
  std::uniform_int_distribution<int> delayMs(0, 350);
  constexpr int kRounds = 8;
  constexpr int kAtOnce = 6;
  for (int round = 0; round < kRounds; ++round) {
    std::vector<std::unique_ptr<TempDir>> dirs;
    std::vector<std::unique_ptr<ChildProcess>> runs;
    for (int i = 0; i < kAtOnce; ++i) {
      dirs.push_back(std::make_unique<TempDir>());
      dirs.back()->Write("tst7312v26.bin", TestProgramBytes(100));
      // The first takes the board; the others run without a port.
      const std::string port = i == 0 ? dir.File("COM1") : "/dev/null";
      runs.push_back(std::make_unique<ChildProcess>(std::vector<std::string>{
          RZ_CLI_PATH, "--workdir", dirs.back()->Path(), "--com1", port, "--keep-going", "cpu=90", "cpu=90",
          "config", "download"}));
    }
    for (auto& run : runs) AwaitBlocked(run->Pid(), SIGTERM);
    std::this_thread::sleep_for(milliseconds(round % 4 == 0 ? delayMs(random) : 250 + delayMs(random) % 100));
    for (auto& run : runs) run->Signal(SIGTERM);
    for (int i = 0; i < kAtOnce; ++i) {
      ChildProcess& run = *runs[static_cast<std::size_t>(i)];
      const ProcessResult result = run.Wait();
      EXPECT_EQ(run.TermSignal(), 0) << "round " << round << ": " << result.err;
      EXPECT_EQ(result.exitCode, 1) << "round " << round << ": " << result.err;
      const std::string log = dirs[static_cast<std::size_t>(i)]->Read("vesk_rz.log");
      EXPECT_TRUE(log.size() >= 2 && log.substr(log.size() - 2) == "\r\n") << "round " << round;
    }
  }
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
  // Two refresh pauses of ten seconds each, in real time.
  const ProcessResult result = Run({"download", "sdram"}, std::chrono::seconds(60));
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

TEST_F(CliTest, SdramOfAnUnknownConfigurationFailsAfterTheReadout) {
  WriteProgram();
  StartBoard({"--sdram-config", "0x0a2"});
  const ProcessResult result = Run({"download", "config", "sdram"});
  EXPECT_EQ(result.exitCode, 1) << result.err;
  EXPECT_NE(result.out.find("\n *Неизвестная конфигурация SDRAM: 0x000000a2\n   Операция прервана.\n"),
            std::string::npos)
      << result.out;
}

TEST_F(CliTest, EthernetServiceComAndRtcTests) {
  WriteProgram();
  StartBoard();
  // The RTC test alone takes several seconds of real time.
  const ProcessResult result =
      Run({"--service-com", "v5", "download", "ethernet-test", "service-com", "rtc"}, std::chrono::seconds(60));
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
