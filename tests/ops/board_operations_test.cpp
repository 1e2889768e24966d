// The station's operations against the simulated board over a pseudo-terminal,
// through the real serial port code.

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "app/texts.h"
#include "board_fixture.h"
#include "boardtests/configuration_readout.h"
#include "boardtests/cpu_clock_change.h"
#include "cpu_time.h"
#include "operations/boot_download.h"
#include "operations/control_handlers.h"

namespace rz::testing {
namespace {

using std::chrono::milliseconds;

class BoardTest : public BoardStationTest {
 protected:
  // Starts the board with `options` and the station with a program of `size` bytes.
  void Start(std::vector<std::string> options = {}, std::size_t programSize = 24576) {
    ASSERT_NO_FATAL_FAILURE(StartBoardAndStation(std::move(options), programSize));
    ASSERT_NE(station.Port(), nullptr);
  }

  Outcome Press(Button button, milliseconds limit = std::chrono::seconds(8)) {
    EXPECT_EQ(PressButton(station, button), StartResult::Started);
    return AwaitOutcome(station, "button " + std::to_string(static_cast<int>(button)), limit);
  }
  Outcome SelectCpu(int entry) {
    ui.cpuIndex = entry;
    EXPECT_EQ(OnCpuSelectorChanged(station), StartResult::Started);
    return AwaitOutcome(station, "CPU clock switch");
  }
  Outcome Wait(const char* what) { return AwaitOutcome(station, what); }

};

TEST_F(BoardTest, DownloadThenConfigurationOfTheDefaultBoard) {
  Start();
  EXPECT_EQ(Press(Button::Download), Outcome::Success);
  EXPECT_EQ(ui.Lines(), (std::vector<std::string>{" ", text::kDownloadHeading, text::kPressReset,
                                                  " Загрузка программы: 100%", text::kBoardReady}));
  const int before = ui.JournalLineCount();
  EXPECT_EQ(Press(Button::Configuration), Outcome::Success);
  const auto lines = ui.LinesFrom(before);
  ASSERT_EQ(lines.size(), 23u);
  EXPECT_EQ(lines[1], " == CPU ==");
  EXPECT_EQ(lines[2], text::kProcessor74);
  EXPECT_EQ(lines[6], " == SDRAM ==");
  EXPECT_EQ(lines[11], " == FLASH ==");
  EXPECT_EQ(lines[12], " Шина Данных: 32 бита");
  EXPECT_EQ(lines[17], " == ETHERNET ==");
  EXPECT_EQ(ui.status, text::kStatusIdle);
  EXPECT_EQ(ui.nextControlRequests, (std::vector<int>{2}));
}

TEST_F(BoardTest, DownloadWaitsForTheResetButton) {
  // No reset on the switch to 9600 baud: only the operator's RESET starts the boot ROM.
  Start({"--no-auto-reset"}, 3000);
  ASSERT_EQ(PressButton(station, Button::Download), StartResult::Started);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (ui.JournalLineCount() < 3 && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(milliseconds(5));
  }
  ASSERT_EQ(ui.Lines().back(), text::kPressReset);
  // Without RESET nothing happens.
  EXPECT_FALSE(station.runner.WaitFor(milliseconds(300)));
  EXPECT_EQ(ui.Lines().back(), text::kPressReset);
  board->PressReset();
  EXPECT_EQ(Wait("download after RESET"), Outcome::Success);
  EXPECT_EQ(ui.Lines().back(), text::kBoardReady);
}

TEST_F(BoardTest, ChosenChipsAndParametersAreDecoded) {
  Start({"--flash-chip", "at49bv322a", "--sdram-config", "0x0000012B", "--cpu-id", "0x1,1,2,3,4",
         "--eth-irq", "3", "--eth-base", "0x300", "--eth-voltage", "0"},
        2048);
  ASSERT_EQ(Press(Button::Download), Outcome::Success);
  const int before = ui.JournalLineCount();
  ASSERT_EQ(Press(Button::Configuration), Outcome::Success);
  const auto lines = ui.LinesFrom(before);
  ASSERT_EQ(lines.size(), 23u);
  EXPECT_EQ(lines[3], " Uniq_ID: 00000001");
  EXPECT_EQ(lines[4], " Random_ID: 00000004 00000003 00000002 00000001");
  EXPECT_EQ(lines[7], " Объем: 2x8 Мбайт");
  EXPECT_EQ(lines[8], " Шина данных: 2x16 бит");
  EXPECT_EQ(lines[9], " CAS Latency: 3");
  EXPECT_EQ(lines[13], " Производитель: Atmel");
  EXPECT_EQ(lines[14], " Тип: AT49BV322A <Bottom Boot>");
  EXPECT_EQ(lines[20], " Базовый Адрес: 0300h");
  EXPECT_EQ(lines[21], " Прерывание: IRQ3 <Pin35>");
  EXPECT_EQ(lines[22], " Напряжение питания: 5.0B");
}

TEST_F(BoardTest, NoiseBeforeTheBootRomAndAProgramOfOneHundredBytes) {
  Start({"--boot-noise", "300"}, 100);
  EXPECT_EQ(Press(Button::Download), Outcome::Success);
  EXPECT_EQ(ui.Lines().back(), text::kBoardReady);
}

TEST_F(BoardTest, ClockSwitchTo90MovesTheLineTo57600AndTheBoardFollows) {
  Start({}, 3000);
  ASSERT_EQ(Press(Button::Download), Outcome::Success);
  EXPECT_EQ(SelectCpu(kCpuEntry90), Outcome::Success);
  EXPECT_EQ(ui.LinesFrom(ui.JournalLineCount() - 2), (std::vector<std::string>{text::kCpuAt90, text::kDone}));
  EXPECT_FALSE(ui.cpuEnabled);
  // The board now talks at 57600: the readout works and says 90 MHz.
  const int before = ui.JournalLineCount();
  EXPECT_EQ(Press(Button::Configuration), Outcome::Success);
  EXPECT_EQ(ui.LinesFrom(before)[2], text::kProcessor90);
}

TEST_F(BoardTest, ClockSwitchAnsweredQStaysAt74) {
  Start({"--clock-answer", "0x51"}, 3000);
  ASSERT_EQ(Press(Button::Download), Outcome::Success);
  EXPECT_EQ(SelectCpu(kCpuEntry90), Outcome::Success);
  EXPECT_EQ(ui.cpuIndex, kCpuEntry74);
  EXPECT_EQ(ui.LinesFrom(ui.JournalLineCount() - 2), (std::vector<std::string>{text::kCpuAt74, text::kDone}));
  const int before = ui.JournalLineCount();
  EXPECT_EQ(Press(Button::Configuration), Outcome::Success);  // still at 115200
  EXPECT_EQ(ui.LinesFrom(before)[2], text::kProcessor74);
}

TEST_F(BoardTest, EthernetControllerFaults) {
  Start({"--eth-fail"}, 3000);
  ASSERT_EQ(Press(Button::Download), Outcome::Success);
  EXPECT_EQ(Press(Button::Configuration), Outcome::Failed);
  EXPECT_EQ(ui.Lines().back(), text::kEthernetReadError);
}

TEST_F(BoardTest, SilentBoardWaitsUntilEscapeSectionBySection) {
  Start({"--silent"}, 3000);
  ASSERT_EQ(PressButton(station, Button::Configuration), StartResult::Started);
  PressEscUntilDone(station);
  const auto lines = ui.Lines();
  EXPECT_EQ(lines, (std::vector<std::string>{" ", " == CPU ==", text::kCpuReadError, "", " == SDRAM ==",
                                             text::kSdramReadError, "", " == FLASH ==", text::kFlashReadError,
                                             "", " == ETHERNET ==", text::kEthernetReadError}));
  EXPECT_EQ(station.flags.abort.load(), 0);
}

TEST_F(BoardTest, BoardThatNeverAcknowledgesTimesOut) {
  Start({"--no-boot-ack"}, 3000);
  // The board stays quiet for the whole wait of 256 reads (about 13 s).
  EXPECT_EQ(Press(Button::Download, std::chrono::seconds(40)), Outcome::Failed);
  EXPECT_EQ(ui.Lines().back(), text::kAbortedTimeout);
}

TEST_F(BoardTest, EscEndsTheWaitForResetQuickly) {
  Start({"--no-auto-reset"}, 3000);
  ASSERT_EQ(PressButton(station, Button::Download), StartResult::Started);
  std::this_thread::sleep_for(milliseconds(300));
  const auto pressed = std::chrono::steady_clock::now();
  station.flags.RequestAbort();
  EXPECT_EQ(Wait("download waiting for RESET"), Outcome::Aborted);
  // A read lasts 50 ms at most; the margin is for slow (sanitizer) builds.
  EXPECT_LT(std::chrono::steady_clock::now() - pressed, milliseconds(2000));
  EXPECT_EQ(ui.Lines().back(), text::kAborted);
}

TEST_F(BoardTest, WithoutAPortTheDownloadWaitsForEscWithoutSpinning) {
  Start({}, 3000);
  ui.portIndex = kPortEntryNone;
  ASSERT_EQ(OnPortSelectorChanged(station), StartResult::Started);
  ASSERT_EQ(Wait("port reselection"), Outcome::Success);
  EXPECT_EQ(ui.Lines().back(), text::kNoPort);

  const double cpuBefore = ProcessCpuSeconds();
  ASSERT_EQ(PressButton(station, Button::Download), StartResult::Started);
  EXPECT_FALSE(station.runner.WaitFor(milliseconds(1000)));
  station.flags.RequestAbort();
  EXPECT_EQ(Wait("download without a port"), Outcome::Aborted);
  EXPECT_LT(ProcessCpuSeconds() - cpuBefore, 0.5);
}

TEST_F(BoardTest, PortReselectionReopensTheBoardsPort) {
  Start({}, 3000);
  ui.portIndex = kPortEntryCom2;  // no COM2 here
  ASSERT_EQ(OnPortSelectorChanged(station), StartResult::Started);
  EXPECT_EQ(Wait("reselection of COM2"), Outcome::Failed);
  ui.portIndex = kPortEntryCom1;
  ASSERT_EQ(OnPortSelectorChanged(station), StartResult::Started);
  EXPECT_EQ(Wait("reselection of COM1"), Outcome::Success);
  EXPECT_EQ(ui.Lines(), (std::vector<std::string>{"", text::kCom2Failed, text::kNoPort, "", text::kCom1Opened}));
  EXPECT_EQ(Press(Button::Download), Outcome::Success);
}

// A board that goes away (its pseudo-terminal closed) ends the operation
// waiting for it at once: the journal names the port, the operation fails,
// the port is closed and the selector shows NONE. A board silent past the
// silence limit ends the wait as ESC would, with a note; the port stays open.
TEST_F(BoardTest, AVanishedOrSilentBoardEndsTheWaitWithoutEsc) {
  const std::string gone = std::string(text::kPortGonePrefix) + "COM1" + text::kPortGoneSuffix;
  struct Case {
    std::vector<std::string> board;
    Button button;  // a read comes after a download
    bool pull;      // the board goes away; else the limit of 1 s ends the wait
    std::vector<std::string> lastLines;
  };
  const Case cases[] = {
      {{"--no-auto-reset"}, Button::Download, true, {text::kPressReset, text::kAborted, gone}},
      {{"--silent"}, Button::Configuration, true, {" == ETHERNET ==", text::kEthernetReadError, gone}},
      {{"--flash-silent-from", "2"}, Button::FlashToFile, true, {text::kAborted, gone}},
      {{"--flash-silent-from", "2"}, Button::FlashToFile, false, {text::kAborted}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.board[0] + (c.pull ? ", pulled" : ", silent"));
    board.reset();
    ui.portIndex = kPortEntryCom1;
    ui.notes.clear();
    station.silenceLimit = c.pull ? milliseconds(0) : milliseconds(1000);
    ASSERT_NO_FATAL_FAILURE(Start(c.board, 3000));
    if (c.button == Button::FlashToFile) {
      ASSERT_EQ(Press(Button::Download), Outcome::Success);
    }
    ui.saveFileAnswer = dir.File("part.bin");
    ui.byteCountAnswer = 4096;
    auto from = std::chrono::steady_clock::now();
    ASSERT_EQ(PressButton(station, c.button), StartResult::Started);
    if (c.pull) {
      std::this_thread::sleep_for(milliseconds(500));
      from = std::chrono::steady_clock::now();
      board.reset();
    }
    const Outcome outcome = Wait("the operation");
    const auto took = std::chrono::steady_clock::now() - from;
    const auto lines = ui.Lines();
    ASSERT_GE(lines.size(), c.lastLines.size());
    EXPECT_EQ(std::vector<std::string>(lines.end() - static_cast<std::ptrdiff_t>(c.lastLines.size()), lines.end()),
              c.lastLines);
    const std::string note = c.pull ? "COM1 (" + BoardPort("COM1") + ")" + text::kPortGoneNote
                                    : std::string(text::kSilenceNotePrefix) + "1" + text::kSilenceNoteSuffix;
    EXPECT_EQ(std::count(ui.notes.begin(), ui.notes.end(), note), 1);
    EXPECT_EQ(outcome, c.pull ? Outcome::Failed : Outcome::Aborted);
    EXPECT_EQ(station.Port() == nullptr, c.pull);
    EXPECT_EQ(ui.portIndex, c.pull ? kPortEntryNone : kPortEntryCom1);
    // A read lasts 50 ms; the margin is for slow (sanitizer, Wine) builds.
    EXPECT_LT(took, milliseconds(c.pull ? 1500 : 3000));
    EXPECT_GE(took, milliseconds(c.pull ? 0 : 1000));
  }
}

}  // namespace
}  // namespace rz::testing
