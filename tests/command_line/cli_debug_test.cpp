// rzstation-cli's debug console against the simulated board: debug= once per
// target and the interactive --debug-console on piped input.

#include <gtest/gtest.h>

#include "child_process.h"
#include "simulated_board.h"
#include "station_fixture.h"

namespace rz::testing {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

class CliDebugTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("tst7312v26.bin", TestProgramBytes(2048));
    board = std::make_unique<SimulatedBoard>(dir.File("COM1"));
  }
  std::vector<std::string> Command(const std::vector<std::string>& operations) {
    std::vector<std::string> args{RZ_CLI_PATH, "--workdir", dir.Path(), "--com1", dir.File("COM1")};
    args.insert(args.end(), operations.begin(), operations.end());
    return args;
  }
  // The lines after the download's five.
  static std::vector<std::string> AfterDownload(const std::string& out) {
    auto lines = Lines(out);
    return lines.size() < 5 ? lines : std::vector<std::string>(lines.begin() + 5, lines.end());
  }

  TempDir dir;
  std::unique_ptr<SimulatedBoard> board;
};

using L = std::vector<std::string>;

TEST_F(CliDebugTest, OneOperationPerTargetWithItsJournalOnStdoutOnly) {
  ProcessResult result = ChildProcess(Command({"download", "debug=sdram:w:0x100:0x12345678", "debug=sdram:r:0x100:",
                                               "debug=flash:r:0x0:", "debug=ethernet:r:0x3:", "debug=ext-com:rl:3:"}))
                             .Wait();
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(AfterDownload(result.out),
            (L{"-------------", " w  0x0000100  0x12345678", " Операция выполнена", "-------------",
               " r  0x0000100  =0x12345678", " Операция выполнена", "-------------", " r  0x000000  =0xffffffff",
               " Операция выполнена", "-------------", " r  0x3  =0x0000", " Операция выполнена", "-------------",
               " rl канал:3 ", " Latch-регистр=0x03", " Операция выполнена."}));
  // The results log holds the station's journal, not the console's.
  const std::string log = dir.Read("vesk_rz.log");
  EXPECT_NE(log.find("\r\n"), std::string::npos);
  EXPECT_EQ(log.find("-------------"), std::string::npos);

  // A cyclic operation runs until Ctrl-C.
  ChildProcess cyclic(Command({"download", "debug=service-com:rts::"}));
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  cyclic.Signal(SIGINT);
  result = cyclic.Wait();
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(AfterDownload(result.out), (L{"-------------", " rts  0|1", " Операция прервана"}));
}

TEST_F(CliDebugTest, FieldErrorFailsTheOperationAndBadWordsAreUsageErrors) {
  ProcessResult result = ChildProcess(Command({"download", "debug=ext-com:txd:3:9601"})).Wait();
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(AfterDownload(result.out), (L{" *OШИБКА* в поле <Данные>"}));
  for (const char* word : {"debug=ethernet:w:0x12:0x1", "debug=sdram:r:0x1", "debug=com:r::", "debug"}) {
    result = ChildProcess(Command({word})).Wait();
    EXPECT_EQ(result.exitCode, 2) << word;
  }
}

TEST_F(CliDebugTest, InteractiveConsoleOnPipedInput) {
  const std::string input = "sdram\\nw\\n0x20\\n0x55AA\\nr\\n0x20\\n\\nhelp\\n\\next-com\\nsr\\n2\\n\\n\\n\\n";
  std::string command = "printf '" + input + "' |";
  for (const std::string& arg : Command({"download", "--debug-console"})) command += " '" + arg + "'";
  const ProcessResult result = ChildProcess({"/bin/sh", "-c", command}).Wait();
  EXPECT_EQ(result.exitCode, 0) << result.err;
  for (const char* line : {" w  0x0000020  0x000055aa", " r  0x0000020  =0x000055aa", " sr канал:2 ",
                           "  w - Запись данных в SDRAM", "operation (w  |  wc  |  r  |  rc | a; help; empty line leaves)> ",
                           "address (Адрес 32мб: 0x0000000..0x1FFFFFF)> "}) {
    EXPECT_NE(result.out.find(line), std::string::npos) << line << "\n" << result.out;
  }
}

}  // namespace
}  // namespace rz::testing
