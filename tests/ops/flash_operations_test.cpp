// The Flash test and the image transfers against the simulated board over a
// pseudo-terminal, through the real serial port code and the real files.

#include <gtest/gtest.h>

#include <set>

#include "app/texts.h"
#include "board_fixture.h"
#include "flash/flash_texts.h"
#include "flash/flash_unit.h"
#include "flash_script.h"
#include "operations/boot_download.h"
#include "operations/control_handlers.h"
#include "operations/operation_table.h"

namespace rz::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Lines = std::vector<std::string>;

class FlashBoardTest : public BoardStationTest {
 protected:
  void Start(std::vector<std::string> options = {}) {
    ASSERT_NO_FATAL_FAILURE(StartBoardAndStation(std::move(options)));
    ASSERT_NE(station.Port(), nullptr);
    ASSERT_EQ(DownloadTestProgram(station), Outcome::Success);
    first = ui.JournalLineCount();
  }
  // Uses a button (with the window's dialogs scripted in `ui`) and waits.
  Outcome Press(Button button) {
    EXPECT_EQ(PressButton(station, button), StartResult::Started);
    return station.runner.Wait().value_or(Outcome::Failed);
  }
  Outcome Write(const std::string& name) {
    ui.openFileAnswer = dir.File(name);
    return Press(Button::FileToFlash);
  }
  Outcome Read(const std::string& name, std::uint32_t count) {
    ui.saveFileAnswer = dir.File(name);
    ui.byteCountAnswer = count;
    return Press(Button::FlashToFile);
  }
  Lines Journal() { return ui.LinesFrom(first); }
  Bytes FileBytes(const std::string& name) {
    const std::string s = dir.Read(name);
    return Bytes(s.begin(), s.end());
  }
  // Every text a progress line showed, in order.
  Lines Shown(const std::string& prefix) {
    Lines texts;
    for (const auto& [mode, line] : ui.addCalls) {
      if (line.rfind(prefix, 0) == 0 && line != prefix) texts.push_back(line);
    }
    return texts;
  }

  int first = 0;
};

const Lines kPassedTest = {" ",
                           text::kFlashTestHeading,
                           " Стирание <2x8 Кбайт> блока: 8",
                           " Стирание <2x64 Кбайт> блока: 63",
                           text::kEraseAllOk,
                           " ",
                           " Запись-Чтение <2x8 Кбайт> блока: 8",
                           " Запись-Чтение <2x64 Кбайт> блока: 63",
                           text::kTestAllOk,
                           text::kTestPassed};

TEST_F(FlashBoardTest, FlashTestOfASoundBoardAndARetriedBlock) {
  Start({"--flash-fault", "e:0xC000:fl_0:first"});
  station.flags.flashServiceMode = 1;
  EXPECT_EQ(Press(Button::Flash), Outcome::Success);
  Lines expected = kPassedTest;
  expected[2] = " Стирание <2x8 Кбайт> блока: 4 Повтор";
  expected.insert(expected.begin() + 3, " Стирание <2x8 Кбайт> блока: 8");
  EXPECT_EQ(Journal(), expected);
  // A second run over the tested Flash: the erase comes first, and the fault
  // strikes its first attempt again.
  first = ui.JournalLineCount();
  EXPECT_EQ(Press(Button::Flash), Outcome::Success);
  EXPECT_EQ(Journal(), expected);
}

TEST_F(FlashBoardTest, FlashTestFaultsEndTheTest) {
  struct Case {
    std::string fault;
    Lines tail;  // the lines after the heading
  };
  const Case cases[] = {
      {"e:0:equal", {" Стирание <2x8 Кбайт> блока: 1", text::kAborted}},
      {"e:0x40000:both",
       {" Стирание <2x8 Кбайт> блока: 8", " Стирание <2x64 Кбайт> блока: 2 Повтор",
        " Стирание <2x64 Кбайт> блока: 2 *Ошибка: fl_1,fl_0", text::kAborted}},
      {"t:0x20000:0x12345678/0x12340000",
       {" Стирание <2x8 Кбайт> блока: 8", " Стирание <2x64 Кбайт> блока: 63", text::kEraseAllOk, " ",
        " Запись-Чтение <2x8 Кбайт> блока: 8", " Запись-Чтение <2x64 Кбайт> блока: 1 Повтор",
        " Запись-Чтение <2x64 Кбайт> блока: 1 *Ошибка: fl_0", text::kAborted}},
  };
  for (const Case& c : cases) {
    Start({"--flash-fault", c.fault});
    station.flags.flashServiceMode = 1;
    EXPECT_EQ(Press(Button::Flash), c.tail.size() == 2 ? Outcome::Aborted : Outcome::Failed) << c.fault;
    Lines expected = {" ", text::kFlashTestHeading};
    expected.insert(expected.end(), c.tail.begin(), c.tail.end());
    EXPECT_EQ(Journal(), expected) << c.fault;
    StopStation(station);
    board.reset();
  }
}

TEST_F(FlashBoardTest, RawFileInTheServiceModeErasesOnlyWhatItNeeds) {
  dir.Write("zeros.bin", Bytes(kFlashBytes, 0));
  Start({"--flash-load", dir.File("zeros.bin")});
  station.flags.flashServiceMode = 1;
  const Bytes raw = Pattern(20000, 3);
  dir.Write("raw.bin", raw);
  EXPECT_EQ(Write("raw.bin"), Outcome::Success);
  EXPECT_EQ(Journal(), (Lines{"", " == Запись <raw.bin> по \u0421OM ==", text::kEraseDoneFile, text::kWriteDone,
                              text::kWritePassed}));
  EXPECT_EQ(Shown(" Стирание Flash: "), (Lines{" Стирание Flash: 0%", " Стирание Flash: 81%", text::kEraseDoneFile}));
  EXPECT_EQ(Shown(" Запись Flash: ").size(), 40u + 1);
  // Blocks 0 and 1 were erased and written; the rest of the Flash kept its zeros.
  first = ui.JournalLineCount();
  EXPECT_EQ(Read("back.bin", 0x8000 + 16), Outcome::Success);
  const Bytes back = FileBytes("back.bin");
  ASSERT_EQ(back.size(), 0x8010u);
  EXPECT_EQ(Bytes(back.begin(), back.begin() + 20000), raw);
  EXPECT_EQ(Bytes(back.begin() + 20000, back.begin() + 0x8000), Bytes(0x8000 - 20000, 0xFF));
  EXPECT_EQ(Bytes(back.begin() + 0x8000, back.end()), Bytes(16, 0));
  EXPECT_EQ(Journal(), (Lines{"", " == Чтение 32784 байт в <back.bin> по \u0421OM ==", text::kReadDone,
                              text::kReadPassed}));
  EXPECT_EQ(Shown(" Чтение Flash: ").back(), " Чтение Flash: 100%");
}

TEST_F(FlashBoardTest, SignedImageErasesTheWholeFlashAndWriteFaultsRetry) {
  Start({"--flash-fault", "w:0x400:fl_1:first", "--flash-fault", "w:0xA00:0x00010000/0x00020000"});
  const Bytes image = Pattern(3000, 5);
  dir.Write("image.rzi", SignedImage(image));
  EXPECT_EQ(Write("image.rzi"), Outcome::Failed);
  EXPECT_EQ(Journal(), (Lines{"", " == Запись <image.rzi> по \u0421OM ==", text::kEraseDoneFlash,
                              " Запись Flash: 34% Повтор", " Запись Flash: 85% Повтор",
                              " Запись Flash: 85% *Ошибка: fl_1", text::kAborted}));
  // The percentages of an 8 MB erase, each shown once, and writing never
  // shows 100 early.
  const Lines erase = Shown(" Стирание Flash: ");
  ASSERT_GE(erase.size(), 6u);
  EXPECT_EQ(Lines(erase.begin(), erase.begin() + 5),
            (Lines{" Стирание Flash: 0%", " Стирание Flash: 1%", " Стирание Flash: 3%", " Стирание Flash: 4%",
                   " Стирание Flash: 6%"}));
  EXPECT_EQ(erase[erase.size() - 2], " Стирание Flash: 98%");
  EXPECT_EQ(erase.back(), text::kEraseDoneFlash);
  EXPECT_EQ(std::set<std::string>(erase.begin(), erase.end()).size(), erase.size());
  for (const std::string& line : Shown(" Запись Flash: ")) EXPECT_EQ(line.find("100%"), std::string::npos) << line;
  // What was written before the fault is in the Flash.
  first = ui.JournalLineCount();
  EXPECT_EQ(Read("back.bin", 0xA00), Outcome::Success);
  EXPECT_EQ(FileBytes("back.bin"), Bytes(image.begin(), image.begin() + 0xA00));
}

TEST_F(FlashBoardTest, ReadChecksumFaults) {
  Start({"--flash-bad-read", "0x300:first", "--flash-bad-read", "0x700"});
  EXPECT_EQ(Read("a.bin", 512), Outcome::Success);
  EXPECT_EQ(Journal(), (Lines{"", " == Чтение 512 байт в <a.bin> по \u0421OM ==", text::kReadDone,
                              text::kReadPassed}));
  EXPECT_EQ(Shown(" Чтение Flash: "), (Lines{" Чтение Flash: 0%", text::kReadDone}));
  // Bad on the first attempt only: accepted on the retry without a trace.
  first = ui.JournalLineCount();
  EXPECT_EQ(Read("b.bin", 1024), Outcome::Success);
  EXPECT_EQ(Journal().size(), 4u);
  EXPECT_EQ(Journal()[2], text::kReadDone);
  EXPECT_EQ(FileBytes("b.bin"), Bytes(1024, 0xFF));
  // Bad on both: the pieces before it stay in the file.
  first = ui.JournalLineCount();
  EXPECT_EQ(Read("c.bin", 2100), Outcome::Failed);
  EXPECT_EQ(Journal()[2], " Чтение Flash: 73% *ОШИБКА*");
  EXPECT_EQ(Journal()[3], text::kAborted);
  EXPECT_EQ(FileBytes("c.bin").size(), 1536u);
  // C = 100: no whole piece.
  first = ui.JournalLineCount();
  EXPECT_EQ(Read("d.bin", 100), Outcome::Success);
  EXPECT_EQ(FileBytes("d.bin"), Bytes(100, 0xFF));
}

TEST_F(FlashBoardTest, SilentBoardMidReadEndsWithEsc) {
  Start({"--flash-silent-from", "4"});
  ui.saveFileAnswer = dir.File("part.bin");
  ui.byteCountAnswer = 4096;
  ASSERT_EQ(PressButton(station, Button::FlashToFile), StartResult::Started);
  // The board is silent from the fourth piece (a board that goes away ends
  // the read by itself: see the board operations' tests); ESC ends the wait.
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  const auto pressed = std::chrono::steady_clock::now();
  station.flags.RequestAbort();
  EXPECT_EQ(station.runner.Wait(), Outcome::Aborted);
  EXPECT_LT(std::chrono::steady_clock::now() - pressed, std::chrono::milliseconds(500));
  EXPECT_EQ(Journal(), (Lines{"", " == Чтение 4096 байт в <part.bin> по \u0421OM ==", " Чтение Flash: 37% *ОШИБКА*",
                              text::kAborted}));
  EXPECT_EQ(FileBytes("part.bin"), Bytes(1536, 0xFF));
  EXPECT_EQ(station.flags.abort.load(), 0);
}

}  // namespace
}  // namespace rz::testing
