#include <gtest/gtest.h>

#include "app/texts.h"
#include "operations/boot_download.h"
#include "station_fixture.h"

namespace rz::testing {
namespace {

std::string Progress(int percent) { return std::string(text::kDownloadProgress) + std::to_string(percent) + "%"; }

// A boot ROM on the scripted port: '<' waiting, '>' after 2048 bytes, 'F' after
// '+', the length and that many bytes.
class DownloadTest : public ScriptedStation {
 protected:
  void BootRomAnswers(bool ack = true, bool done = true) {
    PressResetWhenWaiting(port);
    port->onWrite = [this, ack, done](const std::vector<std::uint8_t>& written) {
      if (ack && written.size() == kFirstStageSize) port->Feed({'>'});
      if (done && written.size() >= kFirstStageSize + 5) {
        const std::uint32_t n = LittleEndianAt(written, kFirstStageSize + 1);
        if (written.size() == kFirstStageSize + 5 + n) port->Feed({'F'});
      }
    };
  }
  static std::uint32_t LittleEndianAt(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | bytes[at + 3] << 24);
  }
  // Percentages written into the progress line, in order.
  std::vector<int> ProgressHistory() {
    std::vector<int> values;
    const std::string prefix = text::kDownloadProgress;
    for (const auto& [mode, line] : ui.addCalls) {
      if (mode == -1 && line.rfind(prefix, 0) == 0) values.push_back(std::stoi(line.substr(prefix.size())));
    }
    return values;
  }
  std::vector<std::string> Header() {
    return {text::kSeparator, text::kDownloadHeading, text::kPressReset};
  }
};

TEST_F(DownloadTest, FullSizeProgramGoesInTwoStagesAtTheirSpeeds) {
  StartWithProgram(24576);
  BootRomAnswers();
  EXPECT_EQ(Run(&DownloadTestProgram), Outcome::Success);

  auto expected = Header();
  expected.push_back(Progress(100));
  expected.push_back(text::kBoardReady);
  EXPECT_EQ(ui.Lines(), expected);

  const auto program = TestProgramBytes(24576);
  ASSERT_EQ(port->written.size(), 24576u + 5);
  EXPECT_TRUE(std::equal(program.begin(), program.begin() + 2048, port->written.begin()));
  EXPECT_EQ(port->written[2048], '+');
  EXPECT_EQ(LittleEndianAt(port->written, 2049), 22528u);
  EXPECT_TRUE(std::equal(program.begin() + 2048, program.end(), port->written.begin() + 2053));
  EXPECT_EQ(port->writtenAtBaud[0], 9600u);
  EXPECT_EQ(port->writtenAtBaud[2047], 9600u);
  EXPECT_EQ(port->writtenAtBaud[2048], 115200u);
  EXPECT_EQ(port->settings.back().baud, 115200u);
  EXPECT_EQ(sleeps, std::vector<std::chrono::milliseconds>{std::chrono::milliseconds(100)});

  // The first stage ends at 8 percent; the line is rewritten only on a change.
  const auto history = ProgressHistory();
  ASSERT_FALSE(history.empty());
  EXPECT_EQ(history.front(), 0);
  EXPECT_NE(std::find(history.begin(), history.end(), 8), history.end());
  EXPECT_EQ(history.back(), 100);
  EXPECT_EQ(history.size(), 101u);
  EXPECT_TRUE(std::is_sorted(history.begin(), history.end()));

  // The idle state is back and the controls enabled.
  EXPECT_EQ(ui.status, text::kStatusIdle);
  EXPECT_TRUE(ui.controlsEnabled);
  EXPECT_EQ(station.flags.abort.load(), 0);
}

TEST_F(DownloadTest, ShortProgramIsZeroFilledAndEveryFillByteRewritesTheLine) {
  StartWithProgram(100);
  BootRomAnswers();
  EXPECT_EQ(Run(&DownloadTestProgram), Outcome::Success);
  ASSERT_EQ(port->written.size(), 2048u + 5);
  EXPECT_TRUE(std::all_of(port->written.begin() + 100, port->written.begin() + 2048, [](auto b) { return b == 0; }));
  EXPECT_EQ(LittleEndianAt(port->written, 2049), 0u);

  const auto history = ProgressHistory();
  // 100 file bytes change the figure 0..4 (five writes), then 1948 fill bytes each write.
  ASSERT_EQ(history.size(), 5u + 1948u);
  EXPECT_EQ(history[4], 4);
  EXPECT_EQ(history.back(), 100);
  EXPECT_EQ(ui.Lines().back(), text::kBoardReady);
  EXPECT_EQ(ui.Lines()[ui.Lines().size() - 2], Progress(100));
}

TEST_F(DownloadTest, EmptyAndExactFirstStagePrograms) {
  for (const std::size_t size : {std::size_t{0}, std::size_t{2048}}) {
    SCOPED_TRACE(size);
    TempDir fresh;
    RecordingUi freshUi;
    ScriptedSerialBackend freshBackend;
    auto script = freshBackend.Add("tty");
    fresh.Write(kTestProgramFileName, TestProgramBytes(size));
    Station s(freshUi, sound, freshBackend);
    s.portPaths.com1 = "tty";
    s.sleeper = [](std::chrono::milliseconds) {};
    ASSERT_TRUE(StartStation(s, fresh.Path()));
    PressResetWhenWaiting(script);
    script->onWrite = [&](const std::vector<std::uint8_t>& written) {
      if (written.size() == 2048) script->Feed({'>'});
      if (written.size() == 2053) script->Feed({'F'});
    };
    EXPECT_EQ(DownloadTestProgram(s), Outcome::Success);
    ASSERT_EQ(script->written.size(), 2053u);
    EXPECT_EQ(script->written[2048], '+');
    EXPECT_EQ(std::vector<std::uint8_t>(script->written.begin() + 2049, script->written.end()),
              (std::vector<std::uint8_t>{0, 0, 0, 0}));
    if (size == 0) {
      EXPECT_TRUE(std::all_of(script->written.begin(), script->written.begin() + 2048, [](auto b) { return b == 0; }));
    }
  }
}

TEST_F(DownloadTest, OversizedProgramIsRefusedAfterTheBootRomAnnouncesItself) {
  StartWithProgram(24577);
  BootRomAnswers();
  EXPECT_EQ(Run(&DownloadTestProgram), Outcome::Failed);
  auto expected = Header();
  expected.insert(expected.end(), {"", text::kProgramTooBig, text::kAborted});
  EXPECT_EQ(ui.Lines(), expected);
  EXPECT_TRUE(port->written.empty());
}

TEST_F(DownloadTest, NoiseBeforeTheBootRomIsIgnored) {
  StartWithProgram(3000);
  std::vector<std::uint8_t> noise(5000, 0x55);
  noise.push_back('>');
  noise.push_back('F');
  BootRomAnswers();
  PressResetWhenWaiting(port, noise);
  EXPECT_EQ(Run(&DownloadTestProgram), Outcome::Success);
  EXPECT_EQ(ui.Lines().back(), text::kBoardReady);
}

TEST_F(DownloadTest, AcknowledgeInThe256thReadIsATimeOut) {
  for (const int arrivesAt : {255, 256}) {
    SCOPED_TRACE(arrivesAt);
    TempDir fresh;
    RecordingUi freshUi;
    ScriptedSerialBackend freshBackend;
    auto script = freshBackend.Add("tty");
    fresh.Write(kTestProgramFileName, TestProgramBytes(2048));
    Station s(freshUi, sound, freshBackend);
    s.portPaths.com1 = "tty";
    s.sleeper = [](std::chrono::milliseconds) {};
    ASSERT_TRUE(StartStation(s, fresh.Path()));
    int firstAckRead = 0;
    script->onRead = [&](int number) {
      if (script->written.size() < 2048) return;
      if (firstAckRead == 0) firstAckRead = number;
      if (number - firstAckRead + 1 == arrivesAt) script->Feed({'>'});
    };
    PressResetWhenWaiting(script);
    script->onWrite = [&](const std::vector<std::uint8_t>& written) {
      if (written.size() == 2053) script->Feed({'F'});
    };
    const Outcome outcome = DownloadTestProgram(s);
    if (arrivesAt == 256) {
      EXPECT_EQ(outcome, Outcome::Failed);
      EXPECT_EQ(freshUi.Lines().back(), text::kAbortedTimeout);
      EXPECT_EQ(script->written.size(), 2048u);
    } else {
      EXPECT_EQ(outcome, Outcome::Success);
    }
  }
}

TEST_F(DownloadTest, EscWhileWaitingForResetOrForTheBoard) {
  StartWithProgram(4000);
  // Waiting for '<' has no limit: 10000 empty reads, then ESC.
  port->onRead = [this](int number) {
    if (number == 10000) station.flags.RequestAbort();
  };
  EXPECT_EQ(Run(&DownloadTestProgram), Outcome::Aborted);
  auto expected = Header();
  expected.push_back(text::kAborted);
  EXPECT_EQ(ui.Lines(), expected);
  EXPECT_EQ(station.flags.abort.load(), 0);
  EXPECT_EQ(port->settings.back().baud, 115200u);

  // ESC during the first stage takes effect at the wait for '>'.
  port->reads = 0;
  port->onRead = nullptr;
  PressResetWhenWaiting(port);
  port->onWrite = [this](const std::vector<std::uint8_t>& written) {
    if (written.size() == 100) station.flags.RequestAbort();
  };
  EXPECT_EQ(Run(&DownloadTestProgram), Outcome::Aborted);
  EXPECT_EQ(port->written.size(), 2048u);
  EXPECT_EQ(ui.Lines().back(), text::kAborted);
}

TEST_F(DownloadTest, BoardThatStopsReadingEndsTheDownloadAtTheStalledWrite) {
  // In both stages: the write that cannot go out ends the download at once
  // with the time-out ending, instead of stalling on every further byte.
  for (const std::size_t limit : {std::size_t{100}, std::size_t{3000}}) {
    StartWithProgram(6000);
    BootRomAnswers();
    port->writeLimit = limit;
    const int readsBefore = port->reads;
    EXPECT_EQ(Run(&DownloadTestProgram), Outcome::Failed) << limit;
    EXPECT_EQ(ui.Lines().back(), text::kAbortedTimeout) << limit;
    EXPECT_EQ(port->written.size(), limit);
    EXPECT_LT(port->reads - readsBefore, 10) << "no wait for the board after a failed write";
    ui.journal.Clear();
    port->written.clear();
    port->onWrite = nullptr;
    port->onRead = nullptr;
  }
}

TEST_F(DownloadTest, BoardThatNeverConfirmsTheProgramTimesOut) {
  StartWithProgram(5000);
  BootRomAnswers(true, false);
  EXPECT_EQ(Run(&DownloadTestProgram), Outcome::Failed);
  EXPECT_EQ(ui.Lines().back(), text::kAbortedTimeout);
  EXPECT_EQ(port->written.size(), 5000u + 5);
}

}  // namespace
}  // namespace rz::testing
