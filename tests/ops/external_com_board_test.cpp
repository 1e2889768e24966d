// The external channel test against the simulated board over a pseudo-terminal.

#include <gtest/gtest.h>

#include "app/texts.h"
#include "board_fixture.h"
#include "boardtests/external_com_texts.h"
#include "operations/boot_download.h"
#include "operations/control_handlers.h"
#include "operations/operation_table.h"

namespace rz::testing {
namespace {

using std::chrono::milliseconds;

class ExtComBoardTest : public BoardStationTest {
 protected:
  void Start(std::vector<std::string> options) {
    ASSERT_NO_FATAL_FAILURE(StartBoardAndStation(std::move(options)));
    ASSERT_EQ(PressButton(station, Button::Download), StartResult::Started);
    ASSERT_EQ(station.runner.Wait(), Outcome::Success);
  }

  // Starts the test as the command line does, with "ext-com:PARAMS".
  StartResult StartExtCom(const std::string& params) {
    const OperationRow* row = nullptr;
    OperationArgs args;
    std::string error;
    const std::string word = params.empty() ? "ext-com" : "ext-com:" + params;
    EXPECT_TRUE(ParseOperationWord(word, row, args, error)) << error;
    base = ui.JournalLineCount();
    // The blinking pauses are the table's, not the exchanges': skip them.
    station.sleeper = [](milliseconds) {};
    return StartOperation(station, *row, &args);
  }
  Outcome RunExtCom(const std::string& params) {
    EXPECT_EQ(StartExtCom(params), StartResult::Started);
    return station.runner.Wait().value_or(Outcome::Failed);
  }
  std::string Row(int position) { return ui.JournalLineText(base + 4 + position); }

  int base = 0;
};

TEST_F(ExtComBoardTest, ByteModeTableWithAnAbsentPositionAndScriptedResults) {
  Start({"--ext-map", "5=0xFF,9=0x20", "--ext-status", "1:0x14", "--ext-status", "2:0x01", "--ext-status",
         "3:0x02,0x2C"});
  EXPECT_EQ(RunExtCom("cycles=2"), Outcome::Failed);  // channel 2 counted errors
  std::vector<std::string> expected = {"", text::kExtComTitle, " Внут.петля 38400,8n1 ns:252 Байты:256 Код:0123",
                                       " Канал  Byte Mode  Ошибки  Циклы:2"};
  for (int i = 0; i < 16; ++i) {
    char row[64];
    const char* result = i == 1 ? "05 " : i == 2 ? "ER " : i == 3 ? "11 " : "00 ";
    std::snprintf(row, sizeof row, "  %02d        %s      %d", i, result, i == 2 ? 2 : 0);
    expected.push_back(i == 5 || i == 9 ? "  " + std::string(i == 5 ? "05" : "09") + "        --       -" : row);
  }
  EXPECT_EQ(ui.LinesFrom(base), expected);
  EXPECT_EQ(ui.status, text::kStatusIdle);
  EXPECT_EQ(station.flags.extComPhase.load(), 0);
}

TEST_F(ExtComBoardTest, AMapOfAbsentPositionsTestsNothingAndFails) {
  std::string map = "0=0xFF";
  for (int i = 1; i < 16; ++i) map += "," + std::to_string(i) + "=0xFF";
  Start({"--ext-map", map});
  EXPECT_EQ(RunExtCom("cycles=2"), Outcome::Failed);
  EXPECT_EQ(ui.Lines().back(), text::kExtComNothingTested);
  EXPECT_EQ(RunExtCom("cycles=1,channels=32"), Outcome::Success);  // positions 16..31 hold channels
}

TEST_F(ExtComBoardTest, LatchModeAndTheAccessTimeAt90MHz) {
  Start({"--ext-timing", "0x1C", "--ext-status", "4:0x48", "--ext-status", "6:0x02"});
  ui.cpuIndex = kCpuEntry90;
  ASSERT_EQ(OnCpuSelectorChanged(station), StartResult::Started);
  ASSERT_EQ(station.runner.Wait(), Outcome::Success);
  EXPECT_EQ(RunExtCom("fifo=2,cycles=1,line=3,speed=1200"), Outcome::Success);
  EXPECT_EQ(ui.JournalLineText(base + 2), " Duplex 1200,8n1 ns:46 Байты:256 Код:0123");
  EXPECT_EQ(ui.JournalLineText(base + 3), " Канал   LatchRG   Ошибки  Циклы:1");
  EXPECT_EQ(Row(4), "  04        1b2      0");
  EXPECT_EQ(Row(6), "  06        No       0");
  EXPECT_EQ(Row(0), "  00        nb0      0");
}

TEST_F(ExtComBoardTest, ParallelFifoWith32ChannelsAndParametersThatPersist) {
  Start({"--ext-fifo", "7:1,2,3,0", "--ext-fifo", "31:0xFFFF,0x10000,0,0xAB"});
  EXPECT_EQ(RunExtCom("fifo=3,channels=32,block=300,cycles=2"), Outcome::Failed);
  EXPECT_EQ(ui.JournalLineCount(), base + 36);
  // The board's default counters are the block size it was sent.
  EXPECT_EQ(Row(0), "  00     012c/012c    0/0/0");
  EXPECT_EQ(Row(7), "  07     0001/0002    2/3/0");
  EXPECT_EQ(Row(31), "  31     ffff/10000    2/0/ab");
  EXPECT_EQ(ui.JournalLineText(base + 2), " Внут.петля 38400,8n1 ns:252 Байты:300 Код:0123");

  // The next run keeps the parameters; the counters start again at 0.
  EXPECT_EQ(RunExtCom("cycles=1"), Outcome::Failed);
  EXPECT_EQ(ui.JournalLineCount(), base + 36);
  EXPECT_EQ(ui.JournalLineText(base + 3), " Канал   pFIFO+IRQ   Ошибки  Циклы:1");
  EXPECT_EQ(Row(7), "  07     0001/0002    1/3/0");
}

TEST_F(ExtComBoardTest, FaultsEndTheTestSilently) {
  struct Case {
    std::vector<std::string> options;
    const char* params;
    Outcome outcome;
  };
  const Case cases[] = {
      {{"--ext-refuse-params"}, "cycles=5", Outcome::Failed},
      {{"--ext-status", "6:0x00,0xFF"}, "cycles=5", Outcome::Failed},
      {{"--ext-silent-from", "n:2"}, "", Outcome::Aborted},
      {{"--ext-silent-from", "k"}, "", Outcome::Aborted},
      {{"--ext-silent-from", "h:20"}, "", Outcome::Aborted},
      {{"--ext-silent-from", "z"}, "fifo=3", Outcome::Aborted},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options.back());
    StopStation(station);
    station.sleeper = [](milliseconds d) { std::this_thread::sleep_for(d); };
    board.reset();
    Start(c.options);
    ASSERT_EQ(StartExtCom(c.params), StartResult::Started);
    // A silent board is waited for until ESC.
    while (!station.runner.WaitFor(milliseconds(150))) station.flags.RequestAbort();
    EXPECT_EQ(station.runner.Wait(), c.outcome);
    EXPECT_EQ(ui.JournalLineCount(), base + 20);
    EXPECT_EQ(ui.JournalLineText(base + 1), text::kExtComTitle);
    EXPECT_EQ(ui.status, text::kStatusIdle);
    EXPECT_TRUE(ui.controlsEnabled);
    EXPECT_EQ(station.flags.abort.load(), 0);
  }
}

}  // namespace
}  // namespace rz::testing
