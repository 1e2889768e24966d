// rzstation-cli's ext-com against the simulated board.

#include <gtest/gtest.h>

#include "app/cp1251.h"
#include "child_process.h"
#include "simulated_board.h"
#include "station_fixture.h"

namespace rz::testing {
namespace {

using std::chrono::milliseconds;

std::vector<std::string> Lines(const std::string& text, const std::string& separator) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + separator.size()) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

class ExtComCliTest : public ::testing::Test {
 protected:
  void SetUp() override { dir.Write("tst7312v26.bin", TestProgramBytes(2048)); }
  std::vector<std::string> Command(std::vector<std::string> operations) {
    std::vector<std::string> args{RZ_CLI_PATH, "--workdir", dir.Path(), "--com1", dir.File("COM1")};
    args.insert(args.end(), operations.begin(), operations.end());
    return args;
  }
  TempDir dir;
};

TEST_F(ExtComCliTest, CyclesEndTheTestAndTheFinalTableGoesToStdoutAndTheLog) {
  SimulatedBoard board(dir.File("COM1"), {"--ext-map", "2=0xFF", "--ext-status", "4:0x48"});
  const ProcessResult result =
      ChildProcess(Command({"download", "ext-com:fifo=2,cycles=2", "ext-com:cycles=1,channels=32"})).Wait();
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
  const auto out = Lines(result.out, "\n");
  // Download (5 lines), then each table once, in its final form.
  ASSERT_EQ(out.size(), 5u + 20u + 36u);
  EXPECT_EQ(out[6], " =Тестирование внешних COMов=");
  EXPECT_EQ(out[7], " Внут.петля 38400,8n1 ns:252 Байты:256 Код:0123");
  EXPECT_EQ(out[8], " Канал   LatchRG   Ошибки  Циклы:2");
  EXPECT_EQ(out[9 + 2], "  02        --       -");
  EXPECT_EQ(out[9 + 4], "  04        1b2      0");
  // The second run kept latch-register mode and has 32 rows.
  EXPECT_EQ(out[25 + 3], " Канал   LatchRG   Ошибки  Циклы:1");
  EXPECT_EQ(out.back(), "  31        nb0      0");

  const auto log = Lines(dir.Read("vesk_rz.log"), "\r\n");
  ASSERT_EQ(log.size(), out.size() + 1);
  for (std::size_t i = 0; i < out.size(); ++i) EXPECT_EQ(log[i + 1], Utf8ToCp1251(out[i]));
}

TEST_F(ExtComCliTest, CtrlCIsEscAndBadParametersAreUsageErrors) {
  SimulatedBoard board(dir.File("COM1"), {"--ext-status", "0:0x01"});
  ChildProcess cli(Command({"download", "ext-com:speed=115200"}));
  // The download and the first cycles take well under two seconds; on a
  // pipe nothing is printed before the operation ends.
  for (const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
       std::chrono::steady_clock::now() < until;) {
    cli.Pump(50);
  }
  EXPECT_EQ(cli.OutputSoFar().find("COM"), std::string::npos);
  cli.Signal(SIGINT);
  const ProcessResult result = cli.Wait();
  EXPECT_EQ(result.exitCode, 1);
  const auto out = Lines(result.out, "\n");
  ASSERT_EQ(out.size(), 5u + 20u);
  EXPECT_EQ(out[7], " Внут.петля 115200,8n1 ns:252 Байты:256 Код:0123");
  EXPECT_FALSE(dir.Read("vesk_rz.log").empty());

  for (const char* bad : {"ext-com:block=10000", "ext-com:fifo=4", "ext-com:speed=300", "ext-com:cycles=0",
                          "ext-com:colour=red", "ext-com:"}) {
    SCOPED_TRACE(bad);
    std::remove(dir.File("vesk_rz.log").c_str());
    const ProcessResult usage = ChildProcess(Command({"download", bad})).Wait();
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_NE(usage.err.find(bad), std::string::npos);
    EXPECT_EQ(usage.out, "");
    EXPECT_EQ(dir.Read("vesk_rz.log"), "");  // nothing ran
  }
  const ProcessResult help = ChildProcess({RZ_CLI_PATH, "--help"}).Wait();
  EXPECT_NE(help.out.find("ext-com[:PARAMS]"), std::string::npos);
  EXPECT_NE(help.out.find("channels=16|32"), std::string::npos);
}

}  // namespace
}  // namespace rz::testing
