// The native main window against the simulated board: one operation of each
// kind started by its button, the journal read back from the list view.

#include <algorithm>

#include "app/cp1251.h"
#include "app/ethernet_texts.h"
#include "app/ip_address.h"
#include "app/texts.h"
#include "flash/flash_texts.h"
#include "production/auto_sequence.h"
#include "station_window_fixture.h"

namespace rz::testing {
namespace {

using Lines = std::vector<std::string>;

class StationWindowOnBoardTest : public StationWindowTest {
 protected:
  // Starts the board, opens the window and downloads the test program.
  void OpenAndDownload() {
    ASSERT_NO_FATAL_FAILURE(OpenWindowOnBoard());
    ASSERT_EQ(window->SelectorIndex(Selector::Port), kPortEntryCom1);
    Click(ControlOf(Button::Download).id);
    ASSERT_EQ(AwaitOperation(), Outcome::Success);
  }
  // Every control an operation disables is enabled again, with the idle hint.
  void ExpectIdle(int focusIndex) {
    for (int i = 1; i <= kButtonCount; ++i) EXPECT_TRUE(::IsWindowEnabled(window->Button(i))) << i;
    EXPECT_TRUE(::IsWindowEnabled(window->Control(ControlRole::PortSelector)));
    EXPECT_TRUE(::IsWindowEnabled(window->Control(ControlRole::EthernetSwitch)));
    EXPECT_EQ(TextOf(ControlOf(ControlRole::StatusLine).id), text::kStatusIdle);
    EXPECT_EQ(window->FocusedButton(), focusIndex);
  }
  Lines JournalFrom(std::size_t first) const {
    const Lines all = ListedJournal();
    return {all.begin() + static_cast<std::ptrdiff_t>(std::min(first, all.size())), all.end()};
  }
};

TEST_F(StationWindowOnBoardTest, DownloadAndConfigurationFromTheirButtons) {
  ASSERT_NO_FATAL_FAILURE(OpenAndDownload());
  EXPECT_EQ(ListedJournal(),
            (Lines{" ", text::kDownloadHeading, text::kPressReset, " Загрузка программы: 100%", text::kBoardReady}));
  EXPECT_EQ(ListedJournal(), window->Journal().Lines());
  ExpectIdle(1);

  const std::size_t before = ListedJournal().size();
  Click(ControlOf(Button::Configuration).id);
  EXPECT_EQ(AwaitOperation(), Outcome::Success);
  const Lines lines = JournalFrom(before);
  ASSERT_EQ(lines.size(), 23u);
  EXPECT_EQ(lines[1], text::kCpuHeading);
  // The focus went to the journal and came back to the button by the
  // next-control requests.
  ExpectIdle(2);
  EXPECT_EQ(station.flags.focusIndex.load(), 2);

  // Exit writes the journal into the results log.
  Click(ControlOf(Button::Exit).id);
  EXPECT_TRUE(window->Closed());
  const std::string log = Cp1251ToUtf8(dir.Read(kResultsLogFileName));
  EXPECT_NE(log.find(text::kBoardReady), std::string::npos);
  EXPECT_NE(log.find(lines.back()), std::string::npos);
}

TEST_F(StationWindowOnBoardTest, FlashToFileThroughTheTransferDialogs) {
  ASSERT_NO_FATAL_FAILURE(OpenAndDownload());
  std::vector<std::string> folders;
  ui.presenters.saveFile = [&](HWND owner, const std::string& folder) -> std::optional<std::string> {
    EXPECT_EQ(owner, window->Handle());
    folders.push_back(folder);
    return dir.Path() + "/flash.bin";
  };
  ui.presenters.byteCount = [](HWND) -> std::uint32_t { return 256; };
  Click(ControlOf(Button::FlashToFile).id);
  EXPECT_EQ(AwaitOperation(), Outcome::Success);
  EXPECT_EQ(folders.size(), 1u);
  EXPECT_EQ(ListedJournal().back(), text::kReadPassed);
  EXPECT_EQ(dir.Read("flash.bin").size(), 256u);
  ExpectIdle(11);
}

TEST_F(StationWindowOnBoardTest, EthernetSwitchOnALoopbackAddressThenSerialButtonsAreRefused) {
  ASSERT_NO_FATAL_FAILURE(OpenAndDownload());
  const std::string boardAddress = FormatIpv4(pair.board);
  ASSERT_EQ(boardAddress.rfind("127.", 0), 0u);
  std::vector<std::string> shown;
  ui.presenters.ipAddress = [&](HWND, const std::string& text) -> std::optional<std::string> {
    shown.push_back(text);
    return boardAddress;
  };
  Click(ControlOf(ControlRole::EthernetSwitch).id);
  EXPECT_EQ(AwaitOperation(), Outcome::Success);
  EXPECT_EQ(shown.size(), 1u);
  EXPECT_TRUE(window->EthernetSwitch());
  EXPECT_EQ(ListedJournal().back(), text::kEthernetAddressPrefix + boardAddress);

  messages.clear();
  Click(ControlOf(Button::Sdram).id);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].box.text, text::kOnlyOverCom);
  EXPECT_FALSE(station.runner.Busy());
}

TEST_F(StationWindowOnBoardTest, SelectorChangesBeepAndStartTheirOperation) {
  ASSERT_NO_FATAL_FAILURE(OpenWindowOnBoard());
  const int beeps = BeepCount();
  window->SetSelectorIndex(Selector::Port, kPortEntryCom1);
  const HWND port = window->Control(ControlRole::PortSelector);
  ::SendMessageW(window->Handle(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(port), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(port));
  EXPECT_EQ(AwaitOperation(), Outcome::Success);
  EXPECT_EQ(BeepCount() - beeps, 1);
  EXPECT_EQ(ListedJournal().back(), text::kCom1Opened);
}

// Hears what a production sequence hands over beside the journal.
struct SequenceSink final : ResultSink {
  void BoardIdentified(const BoardIdentity&) override {}
  void FlashChecked(const FlashCheck&) override {}
  void SerialNumberGiven(const std::string& given) override { serial = given; }
  void UnitJudged(const UnitVerdict& judged) override { verdict = judged.verdict; }
  std::string serial;
  std::optional<Verdict> verdict;
};

TEST_F(StationWindowOnBoardTest, WithAProfileOneDownloadPressRunsTheSequenceToItsVerdict) {
  std::string error;
  const std::optional<Profile> profile = ParseProfile(
      R"({"product": "RZ", "askSerial": true, "sequence": ["download", "config", "service-com"],
          "limits": {"config.ethernet.supplyMillivolts": {"equals": 3300}}})",
      error);
  ASSERT_TRUE(profile) << error;
  SequenceSink sink;
  station.results = &sink;
  AutoSequence production(station, *profile, nullptr);
  station.observer = &production;
  int asked = 0;
  ui.presenters.serialNumber = [&](HWND) -> std::optional<std::string> {
    ++asked;
    return "SN-7";
  };
  ASSERT_NO_FATAL_FAILURE(OpenWindowOnBoard({"--eth-voltage", "0"}));
  Click(ControlOf(Button::Download).id);
  EXPECT_TRUE(PumpUntil([&] { return sink.verdict.has_value(); }, std::chrono::seconds(40)));
  production.Stop([this] { Pump(); });
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(sink.serial, "SN-7");
  EXPECT_EQ(sink.verdict, Verdict::Fail);
  const Lines journal = ListedJournal();
  ASSERT_GE(journal.size(), 3u);
  EXPECT_EQ(journal[journal.size() - 2], " ==== RZ: БРАК ====");
  EXPECT_EQ(journal.back(), " *config.ethernet.supplyMillivolts = 5000 mV (норма = 3300)");
  EXPECT_EQ(journal[journal.size() - 4], text::kTestPassed);  // the service COM test ran before it
  EXPECT_EQ(TextOf(ControlOf(ControlRole::StatusLine).id), "RZ: БРАК");
  EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace rz::testing
