// The Flash transfers over UDP against the simulated board on loopback: the
// journal of each outcome and ESC while the board is silent.

#include <gtest/gtest.h>

#include <atomic>

#include "app/ip_address.h"
#include "app/texts.h"
#include "board_fixture.h"
#include "flash/flash_texts.h"
#include "flash_script.h"
#include "link/udp_channel.h"
#include "loopback_udp.h"
#include "operations/control_handlers.h"
#include "operations/operation_table.h"

namespace rz::testing {
namespace {

using std::chrono::milliseconds;

constexpr milliseconds kWait{250};

class UdpTransferTest : public BoardStationTest {
 protected:
  void StartOnEthernet(std::vector<std::string> options = {}) {
    ASSERT_NO_FATAL_FAILURE(StartBoardAndStationWithUdp(std::move(options)));
    ASSERT_EQ(PressButton(station, Button::Download), StartResult::Started);
    ASSERT_EQ(station.runner.Wait(), Outcome::Success);
    ASSERT_TRUE(RequireLoopback(pair.board, "board address"));
    OperationArgs args;
    args.ethernetOn = true;
    args.ipAddressText = FormatIpv4(pair.board);
    ASSERT_EQ(StartOperation(station, *FindOperationRow("ethernet"), &args), StartResult::Started);
    ASSERT_EQ(station.runner.Wait(), Outcome::Success);
    // Long enough that a loaded machine's answers never miss it; the silent
    // cases wait only a few of these.
    station.udp.replyWait = kWait;
  }
  // Runs "write" or "read" as the command line does; the journal lines it added.
  std::vector<std::string> Run(const char* word, const std::string& file, std::uint32_t count = 0) {
    OperationArgs args;
    args.file = dir.File(file);
    args.readCount = count;
    const int before = ui.JournalLineCount();
    EXPECT_EQ(StartOperation(station, *FindOperationRow(word), &args), StartResult::Started);
    station.runner.Wait();
    return ui.LinesFrom(before);
  }
  // Simulates ESC at the listed pauses of an exchange waiting for a silent
  // board (1 = the first); `silence` at that pause also stops the board.
  void PressEscAtPauses(std::vector<int> pauses, int silence = 0) {
    station.sleeper = [this, pauses, silence](milliseconds) {
      const int n = ++pausesSeen;
      if (n == silence) board.reset();
      if (std::find(pauses.begin(), pauses.end(), n) != pauses.end()) station.flags.abort.store(1);
    };
  }
  static std::string Line(const char* header, std::uint64_t percent, const char* error = "") {
    return header + std::to_string(percent) + "%" + error;
  }

  std::atomic<int> pausesSeen{0};
};

TEST_F(UdpTransferTest, AWriteAnsweredFEndsAtTheFirstPiece) {
  StartOnEthernet({"--udp-fail", "W"});
  dir.Write("img.bin", SignedImage(Pattern(3000, 2)));
  station.flags.soundOption.store(1);
  EXPECT_EQ(Run("write", "img.bin"),
            (std::vector<std::string>{"", " == Запись <img.bin> по Ethernet ==", text::kEraseDoneFlash,
                                      Line(text::kWriteProgress, 0, text::kWriteFailedUdp), text::kAborted}));
  for (const auto& [mode, line] : ui.addCalls) EXPECT_EQ(line.find(" Повтор"), std::string::npos) << line;
  EXPECT_FALSE(sound.Tones().empty());  // the end signal
  EXPECT_EQ(ui.status, text::kStatusIdle);
}

TEST_F(UdpTransferTest, EscWhileWritingEndsAtOnce) {
  // The board ignores every 80th datagram: the 71 erase commands pass, the 9th
  // piece is lost and waited for; ESC there ends the writing.
  StartOnEthernet({"--udp-drop-every", "80"});
  const std::vector<std::uint8_t> file = SignedImage(Pattern(65536, 4));
  dir.Write("img.bin", file);
  PressEscAtPauses({1});
  const std::vector<std::string> lines = Run("write", "img.bin");
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[3], Line(text::kWriteProgress, 100ull * 8 * 512 / file.size(), text::kWriteFailedUdp));
  EXPECT_EQ(lines[4], text::kAborted);
  EXPECT_EQ(station.flags.abort.load(), 0);
  EXPECT_EQ(pausesSeen.load(), 1);  // the repetition failed without waiting
}

TEST_F(UdpTransferTest, EscWhileReadingEndsAtOnce) {
  StartOnEthernet({"--udp-drop-every", "80"});
  PressEscAtPauses({1});
  const std::vector<std::string> lines = Run("read", "out.bin", 65536);
  EXPECT_EQ(lines, (std::vector<std::string>{"", " == Чтение 65536 байт в <out.bin> по Ethernet ==",
                                             Line(text::kReadProgress, 51200ull * 79 / 65536, text::kReadFailedUdp),
                                             text::kAborted}));
  EXPECT_EQ(pausesSeen.load(), 1);  // the repetition failed without waiting
  EXPECT_EQ(dir.Read("out.bin").size(), 79u * 512);
}

TEST_F(UdpTransferTest, OneByteIsOneShortRequestShownAsHundredPercent) {
  StartOnEthernet();
  const int sendsBefore = udp.last->sends.load();
  const std::vector<std::string> lines = Run("read", "one.bin", 1);
  EXPECT_EQ(lines, (std::vector<std::string>{"", " == Чтение 1 байт в <one.bin> по Ethernet ==", text::kReadDone,
                                             text::kReadPassed}));
  EXPECT_EQ(udp.last->sends.load() - sendsBefore, 1);
  EXPECT_EQ(station.udp.replyLength, 9u);
  const std::pair<int, std::string> shown{-1, Line(text::kReadProgress, 100)};
  EXPECT_NE(std::find(ui.addCalls.begin(), ui.addCalls.end(), shown), ui.addCalls.end());
  EXPECT_EQ(dir.Read("one.bin").size(), 1u);
}

TEST_F(UdpTransferTest, ALateBoardShowsWaitingAndTheNextPercentageClearsIt) {
  StartOnEthernet({"--udp-delay", "400"});  // within the second wait
  dir.Write("raw.bin", Pattern(1536, 6));
  station.flags.flashServiceMode.store(1);
  const std::vector<std::string> lines = Run("write", "raw.bin");
  EXPECT_EQ(lines, (std::vector<std::string>{"", " == Запись <raw.bin> по Ethernet ==", text::kEraseDoneFile,
                                             text::kWriteDone, text::kWritePassed}));
  const std::string waiting = Line(text::kWriteProgress, 33) + kSuffixWaiting;
  const auto at = std::find(ui.addCalls.begin(), ui.addCalls.end(), std::pair<int, std::string>{-1, waiting});
  ASSERT_NE(at, ui.addCalls.end());
  EXPECT_EQ(*(at + 1), (std::pair<int, std::string>{-1, Line(text::kWriteProgress, 66)}));
  EXPECT_EQ(Run("read", "back.bin", 1536).back(), text::kReadPassed);
  EXPECT_EQ(dir.Read("back.bin"), dir.Read("raw.bin"));
}

// Late, repeated and forged replies: every transfer ends byte-exact, in the
// file read and in the board's Flash after a write, or fails; never a success
// with wrong bytes. Delays are in units of a reply wait of 100 ms: 1.25
// waits (answered within the second wait) and 3.25 (every request resent).
// Replies name no request, so a copy that leaves the board only after the
// station stopped waiting for it (a loaded machine can hold the board's
// second send back) is taken as the next answer; the station then finds the
// mismatch and fails the transfer. Where success is expected, that detected
// failure is the only one allowed, and the write and read are tried again;
// they must succeed within a few attempts.
struct ReplyFaultCase {
  const char* name;
  std::vector<std::string> options;
  bool mustSucceed;
  std::uint32_t readCount;
};

class UdpReplyFaultTest : public UdpTransferTest, public ::testing::WithParamInterface<ReplyFaultCase> {};

TEST_P(UdpReplyFaultTest, TransfersEndByteExactOrFailed) {
  constexpr int kAttempts = 3;
  std::vector<std::string> options = GetParam().options;
  options.insert(options.end(), {"--flash-save", dir.File("flash.out")});
  StartOnEthernet(options);
  station.udp.replyWait = milliseconds(100);
  station.flags.flashServiceMode.store(1);
  const std::vector<std::uint8_t> raw = Pattern(1536, 8);
  dir.Write("raw.bin", raw);
  std::string written;
  std::string read;
  for (int attempt = 1; attempt <= kAttempts; ++attempt) {
    written = Run("write", "raw.bin").back();
    bool inDoubt = station.udp.repliesInDoubt;
    read = Run("read", "back.bin", GetParam().readCount).back();
    inDoubt = inDoubt || station.udp.repliesInDoubt;
    if (!GetParam().mustSucceed || !inDoubt) break;
  }
  if (GetParam().mustSucceed) {
    EXPECT_EQ(written, text::kWritePassed);
    EXPECT_EQ(read, text::kReadPassed);
  }
  board.reset();  // the board saves its Flash as it exits
  const std::string saved = dir.Read("flash.out");
  if (written == text::kWritePassed) {
    ASSERT_GE(saved.size(), raw.size());
    EXPECT_TRUE(std::equal(raw.begin(), raw.end(), saved.begin(),
                           [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); }));
  }
  if (read == text::kReadPassed) {
    EXPECT_EQ(dir.Read("back.bin"), saved.substr(0, GetParam().readCount));
  }
}

const ReplyFaultCase kReplyFaultCases[] = {
    {"LateWithinTheSecondWait", {"--udp-delay", "125", "--udp-duplicate", "1"}, true, 1536},
    {"LateBeyondTheThirdWait", {"--udp-delay", "325", "--udp-duplicate", "1"}, true, 1536},
    {"LostThenDuplicated", {"--udp-drop-first", "2", "--udp-duplicate", "2"}, true, 1536},
    {"RepeatedLater", {"--udp-duplicate", "5", "--udp-duplicate-delay", "1"}, false, 65536},
    {"ForgedFromAnotherPort", {"--udp-stranger-port"}, true, 65536},
};
INSTANTIATE_TEST_SUITE_P(Replies, UdpReplyFaultTest, ::testing::ValuesIn(kReplyFaultCases),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace rz::testing
