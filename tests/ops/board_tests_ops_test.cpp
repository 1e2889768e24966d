// The SDRAM, Ethernet, RTC and service COM tests against the simulated board
// over a pseudo-terminal, through the real serial port code. The operations'
// own pauses are recorded, not slept, except where real time is the point.

#include <gtest/gtest.h>

#include "app/texts.h"
#include "boardtests/board_test_texts.h"
#include "cpu_time.h"
#include "board_fixture.h"
#include "operations/control_handlers.h"

namespace rz::testing {
namespace {

using std::chrono::milliseconds;
using Lines = std::vector<std::string>;

class BoardTestsOnTheBoard : public BoardStationTest {
 protected:
  // Starts the board with `options`, the station, and downloads the program.
  void Start(std::vector<std::string> options = {}) {
    ASSERT_NO_FATAL_FAILURE(StartBoardAndStation(std::move(options), 3000));
    ASSERT_EQ(Press(Button::Download), Outcome::Success);
    station.sleeper = [this](milliseconds d) { slept += d; };
  }
  Outcome Press(Button button) {
    EXPECT_EQ(PressButton(station, button), StartResult::Started);
    return station.runner.Wait().value_or(Outcome::Failed);
  }
  // The lines the next operation adds.
  Lines PressAndCollect(Button button, Outcome expected) {
    const int before = ui.JournalLineCount();
    EXPECT_EQ(Press(button), expected);
    return ui.LinesFrom(before);
  }
  // Waits until the journal's last line is `line` (the operation waits for the board).
  bool WaitForLastLine(const std::string& line) {
    for (int i = 0; i < 200; ++i) {
      if (ui.Lines().back() == line) return true;
      std::this_thread::sleep_for(milliseconds(20));
    }
    return false;
  }

  milliseconds slept{0};
};

TEST_F(BoardTestsOnTheBoard, SdramOfBothSizesPasses) {
  Start({"--sdram-config", "0x142"});
  EXPECT_EQ(PressAndCollect(Button::Sdram, Outcome::Success),
            (Lines{"", " 1.Запись SDRAM(32 Mб): OK", "   Чтение SDRAM(32 Mб): OK", " 2.Запись SDRAM(32 Mб): OK",
                   "   Чтение SDRAM(32 Mб): OK", "   Тестирование завершено успешно."}));
  EXPECT_EQ(slept, milliseconds(20000));
  EXPECT_EQ(ui.status, text::kStatusIdle);
}

TEST_F(BoardTestsOnTheBoard, SdramCompareErrorsAndAWriteFailure) {
  Start({"--sdram-error", "1:0x12344", "--sdram-error", "1:0x200000", "--sdram-error", "1:0xFFFFFC",
         "--sdram-write-fail", "2:0x20010"});
  EXPECT_EQ(PressAndCollect(Button::Sdram, Outcome::Failed),
            (Lines{"", " 1.Запись SDRAM(16 Mб): OK", "   Чтение SDRAM(16 Mб): *Oшибки.",
                   "   Addr=0x0012344 Data=0x00012344 ErrData=0x00012244",
                   "   Addr=0x0200000 Data=0x00200000 ErrData=0x00200100",
                   "   Addr=0x0fffffc Data=0x00fffffc ErrData=0x00fffefc",
                   " 2.Запись SDRAM(16 Mб): 128 Кбайт *Ошибка.", "   Операция прервана."}));
}

TEST_F(BoardTestsOnTheBoard, SdramBoardThatHangsWaitsForEscWithoutSpinning) {
  Start({"--sdram-silent-from", "5"});
  ASSERT_EQ(PressButton(station, Button::Sdram), StartResult::Started);
  ASSERT_TRUE(WaitForLastLine(" 1.Запись SDRAM(16 Mб): 256 Кбайт"));
  const double cpuBefore = ProcessCpuSeconds();
  EXPECT_FALSE(station.runner.WaitFor(milliseconds(800)));
  const auto pressed = std::chrono::steady_clock::now();
  station.flags.RequestAbort();
  EXPECT_EQ(station.runner.Wait(), Outcome::Aborted);
  EXPECT_LT(std::chrono::steady_clock::now() - pressed, milliseconds(1000));
  EXPECT_LT(ProcessCpuSeconds() - cpuBefore, 0.4);
  EXPECT_EQ(ui.LinesFrom(ui.JournalLineCount() - 2),
            (Lines{" 1.Запись SDRAM(16 Mб): 256 Кбайт *Ошибка.", "   Операция прервана."}));
}

TEST_F(BoardTestsOnTheBoard, BoardThatVanishesMidTestEndsItAtOnce) {
  Start({"--sdram-silent-from", "3"});
  ASSERT_EQ(PressButton(station, Button::Sdram), StartResult::Started);
  ASSERT_TRUE(WaitForLastLine(" 1.Запись SDRAM(16 Mб): 128 Кбайт"));
  board.reset();  // the simulator's end of the line is gone, as with a pulled USB adapter
  const double cpuBefore = ProcessCpuSeconds();
  EXPECT_TRUE(station.runner.WaitFor(milliseconds(500)));
  EXPECT_EQ(station.runner.Wait(), Outcome::Failed);
  EXPECT_LT(ProcessCpuSeconds() - cpuBefore, 0.4);
  EXPECT_EQ(ui.Lines().back(), std::string(text::kPortGonePrefix) + "COM1" + text::kPortGoneSuffix);
  EXPECT_EQ(ui.Lines().end()[-2], "   Операция прервана.");
  EXPECT_TRUE(ui.controlsEnabled);
}

TEST_F(BoardTestsOnTheBoard, EthernetPassesAndFailsWhereTheBoardSays) {
  Start({"--eth-step-fail", "150"});
  // The failing step is counted from the initialisation: every run fails at it.
  for (int run = 0; run < 2; ++run) {
    EXPECT_EQ(PressAndCollect(Button::Ethernet, Outcome::Failed),
              (Lines{" ", " Тестирование Ethernet: 99% *Ошибки", text::kAborted}));
  }
}

TEST_F(BoardTestsOnTheBoard, EthernetOfASoundBoardAndOfOneThatCannotStart) {
  Start();
  EXPECT_EQ(PressAndCollect(Button::Ethernet, Outcome::Success),
            (Lines{" ", text::kEthernetDone, text::kTestPassed}));
  board = std::make_unique<SimulatedBoard>(BoardPort("COM2"), std::vector<std::string>{"--eth-fail"});
  ui.portIndex = kPortEntryCom2;
  ASSERT_EQ(OnPortSelectorChanged(station), StartResult::Started);
  ASSERT_EQ(station.runner.Wait(), Outcome::Success);
  ASSERT_EQ(Press(Button::Download), Outcome::Success);
  EXPECT_EQ(PressAndCollect(Button::Ethernet, Outcome::Failed),
            (Lines{" ", " Тестирование Ethernet: ", text::kEthernetInitError, text::kAborted}));
}

TEST_F(BoardTestsOnTheBoard, RtcAcrossTheWrapInRealTime) {
  Start({"--rtc-start", "0xFFFFFFFA"});
  station.sleeper = [](milliseconds d) { std::this_thread::sleep_for(d); };
  station.flags.soundOption.store(1);
  const Lines lines = PressAndCollect(Button::Rtc, Outcome::Success);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(lines[1] == " Тестирование RTC: OK (10)c" || lines[1] == " Тестирование RTC: OK (11)c") << lines[1];
  EXPECT_EQ(sound.Tones().size(), 6u);
}

TEST_F(BoardTestsOnTheBoard, RtcThatStandsStillFails) {
  Start({"--rtc-stopped"});
  EXPECT_EQ(PressAndCollect(Button::Rtc, Outcome::Failed), (Lines{"", " Тестирование RTC: *Oшибки."}));
  EXPECT_EQ(slept, milliseconds(10000));
}

TEST_F(BoardTestsOnTheBoard, ServiceComBothVariantsAndTheirFaults) {
  Start({"--service-status", "0x12", "--service-words", "0x12,0x34,0xABCDE"});
  EXPECT_EQ(PressAndCollect(Button::ServiceCom, Outcome::Failed),
            (Lines{"", text::kServiceComHeading, text::kServiceLoopOk, " DTR->DCD: *Ошибка.",
                   " Old=0012 True=0034 Read=abcde", text::kAborted}));
  station.flags.serviceComVariant.store(0);
  EXPECT_EQ(PressAndCollect(Button::ServiceCom, Outcome::Failed),
            (Lines{"", text::kServiceComHeading, text::kServiceLoopOk, " RTS->CTS,DCD: *Ошибка.",
                   " DTR->DSR,RI: NC", text::kAborted}));
}

TEST_F(BoardTestsOnTheBoard, ServiceComPassesAndStopsAtAChangedByte) {
  Start();
  EXPECT_EQ(PressAndCollect(Button::ServiceCom, Outcome::Success),
            (Lines{"", text::kServiceComHeading, text::kServiceLoopOk, " DTR->DCD: OK", text::kTestPassed}));
  board = std::make_unique<SimulatedBoard>(BoardPort("COM2"), std::vector<std::string>{"--service-mismatch", "7"});
  ui.portIndex = kPortEntryCom2;
  ASSERT_EQ(OnPortSelectorChanged(station), StartResult::Started);
  ASSERT_EQ(station.runner.Wait(), Outcome::Success);
  ASSERT_EQ(Press(Button::Download), Outcome::Success);
  EXPECT_EQ(PressAndCollect(Button::ServiceCom, Outcome::Failed),
            (Lines{"", text::kServiceComHeading, " TxD->RxD: 1% *Ошибка", text::kAborted}));
}

TEST_F(BoardTestsOnTheBoard, ServiceComOfTheOtherVariantWaitsForEsc) {
  Start({"--service-variant", "v5"});
  ASSERT_EQ(PressButton(station, Button::ServiceCom), StartResult::Started);
  ASSERT_TRUE(WaitForLastLine(" TxD->RxD: 0%"));
  EXPECT_FALSE(station.runner.WaitFor(milliseconds(300)));
  station.flags.RequestAbort();
  EXPECT_EQ(station.runner.Wait(), Outcome::Aborted);
  EXPECT_EQ(ui.LinesFrom(ui.JournalLineCount() - 2), (Lines{" TxD->RxD: 0%", text::kAborted}));
}

}  // namespace
}  // namespace rz::testing
