// The Flash transfers over UDP against the simulated board on loopback: the
// journal of each outcome and ESC while the board is silent.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <random>

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
                                             text::kWriteDone, Line(text::kCheckProgress, 100),
                                             text::kWritePassed}));
  const std::string waiting = Line(text::kWriteProgress, 33) + kSuffixWaiting;
  const auto at = std::find(ui.addCalls.begin(), ui.addCalls.end(), std::pair<int, std::string>{-1, waiting});
  ASSERT_NE(at, ui.addCalls.end());
  EXPECT_EQ(*(at + 1), (std::pair<int, std::string>{-1, Line(text::kWriteProgress, 66)}));
  EXPECT_EQ(Run("read", "back.bin", 1536).back(), text::kReadPassed);
  EXPECT_EQ(dir.Read("back.bin"), dir.Read("raw.bin"));
}

TEST_F(UdpTransferTest, WithoutVerifyOnlyAWriteInDoubtIsReadBack) {
  StartOnEthernet({"--udp-drop-first", "1"});  // the first erase is sent again
  station.udp.replyWait = milliseconds(50);
  station.verifyUdpWrites = false;
  station.flags.flashServiceMode.store(1);
  dir.Write("raw.bin", Pattern(4096, 3));
  const std::string check = Line(text::kCheckProgress, 100);
  std::vector<std::string> lines = Run("write", "raw.bin");
  EXPECT_EQ(lines.back(), text::kWritePassed);
  EXPECT_NE(std::find(lines.begin(), lines.end(), check), lines.end());
  // A loaded machine may delay a reply enough to count as late: only a
  // write that left no trace at all must go without a read-back.
  const UdpChannel& channel = station.udp;
  const auto traces = [&channel] { return channel.surplusDropped + channel.resends + channel.lateReplies; };
  const auto before = traces();
  lines = Run("write", "raw.bin");
  EXPECT_EQ(lines.back(), text::kWritePassed);
  if (traces() == before) {
    EXPECT_EQ(std::find(lines.begin(), lines.end(), check), lines.end());
  }
}

// A Flash as it is found in practice: most pieces erased or equal to
// others, a few unique. A reply taken for the wrong request is then often
// right by chance, and only where it is not does a wrong transfer show.
std::vector<std::uint8_t> PartFilled(std::size_t bytes, std::mt19937& random) {
  std::vector<std::uint8_t> flash(bytes, 0xFF);
  const std::vector<std::uint8_t> repeated = Pattern(512, random());
  for (std::size_t at = 0; at < bytes; at += 512) {
    const std::size_t n = std::min<std::size_t>(512, bytes - at);
    switch (random() % 4) {
      case 0: break;  // erased
      case 1: std::copy_n(repeated.begin(), n, flash.begin() + static_cast<std::ptrdiff_t>(at)); break;
      default: {
        const std::vector<std::uint8_t> unique = Pattern(n, random());
        std::copy(unique.begin(), unique.end(), flash.begin() + static_cast<std::ptrdiff_t>(at));
      }
    }
  }
  return flash;
}

// Erased but for every `every`-th piece of 512 bytes.
std::vector<std::uint8_t> SparseFlash(std::size_t bytes, std::size_t every) {
  std::vector<std::uint8_t> flash(bytes, 0xFF);
  for (std::size_t at = 0; at < bytes; at += 512 * every) {
    const std::vector<std::uint8_t> data = Pattern(std::min<std::size_t>(512, bytes - at), static_cast<unsigned>(at));
    std::copy(data.begin(), data.end(), flash.begin() + static_cast<std::ptrdiff_t>(at));
  }
  return flash;
}

// Late, repeated, lost and forged replies, on a Flash with repeated and
// erased regions: every transfer must end byte-exact, in the file read and in
// the board's Flash after a write (its answers are checked, not timed).
// Delays are in units of a reply wait of 100 ms: 1.25 waits (answered within
// the second wait) and 3.25 (every request resent).
struct ReplyFaultCase {
  const char* name;
  std::vector<std::string> options;
  std::uint32_t writeBytes;  // 0: the Flash as loaded
  std::uint32_t readBytes;
  std::size_t loadEvery;     // the Flash holds data in every n-th piece; 0: erased
};

class FlashFaultTest : public UdpTransferTest {
 protected:
  // Starts the board with the case's faults, its Flash loaded with `flash`
  // and saved when it exits.
  void StartWithFlash(std::vector<std::string> options, const std::vector<std::uint8_t>& flash) {
    dir.Write("flash.in", flash);
    options.insert(options.end(), {"--flash-load", dir.File("flash.in"), "--flash-save", dir.File("flash.out")});
    StartOnEthernet(options);
    station.flags.flashServiceMode.store(1);
  }
  // The board's whole Flash, once it has exited.
  std::vector<std::uint8_t> SavedFlash() {
    board.reset();
    const std::string saved = dir.Read("flash.out");
    return {saved.begin(), saved.end()};
  }
  static std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }
  static std::vector<std::uint8_t> Prefix(const std::vector<std::uint8_t>& bytes, std::size_t n) {
    return {bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min(n, bytes.size()))};
  }
};

// A board that acknowledges a piece without programming it: the read-back of
// a verified write finds it, writes it again, erases its block and writes
// that again, then fails naming its address; over UDP, then over COM.
TEST_F(FlashFaultTest, AnUnwrittenPieceFailsAVerifiedWriteOverEitherChannel) {
  ASSERT_NO_FATAL_FAILURE(StartWithFlash({"--flash-ack-without-write", "2"}, {}));
  station.flags.verifyWrites.store(1);
  const std::vector<std::uint8_t> image = Pattern(4096, 11);
  dir.Write("raw.bin", image);
  const auto word = [&image](std::size_t at) {
    char text[16];
    std::snprintf(text, sizeof text, "%02X%02X%02X%02X", image[at + 3], image[at + 2], image[at + 1], image[at]);
    return std::string(text);
  };
  const std::vector<std::string> expectedEnd = {Line(text::kCheckProgress, 100, text::kCheckFailed),
                                                " *Адрес 000400: записано " + word(0x400) + ", прочитано FFFFFFFF",
                                                text::kAborted};
  for (const bool overUdp : {true, false}) {
    SCOPED_TRACE(overUdp ? "UDP" : "COM");
    if (!overUdp) {
      OperationArgs off;
      off.ethernetOn = false;
      ASSERT_EQ(StartOperation(station, *FindOperationRow("ethernet"), &off), StartResult::Started);
      ASSERT_EQ(station.runner.Wait(), Outcome::Success);
    }
    const std::vector<std::string> lines = Run("write", "raw.bin");
    ASSERT_GE(lines.size(), expectedEnd.size());
    EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()), expectedEnd);
    EXPECT_EQ(station.runner.Wait(), Outcome::Failed);
  }
  std::vector<std::uint8_t> expected = image;
  std::fill_n(expected.begin() + 0x400, 512, 0xFF);
  EXPECT_EQ(Prefix(SavedFlash(), expected.size()), expected);
}

class UdpReplyFaultTest : public FlashFaultTest, public ::testing::WithParamInterface<ReplyFaultCase> {};

TEST_P(UdpReplyFaultTest, TransfersEndByteExact) {
  const ReplyFaultCase& c = GetParam();
  std::mt19937 random(7);
  std::vector<std::uint8_t> flash = c.loadEvery ? SparseFlash(c.readBytes, c.loadEvery) : std::vector<std::uint8_t>{};
  ASSERT_NO_FATAL_FAILURE(StartWithFlash(c.options, flash));
  station.udp.replyWait = milliseconds(100);
  if (c.writeBytes != 0) {
    flash = PartFilled(c.writeBytes, random);
    dir.Write("raw.bin", flash);
    EXPECT_EQ(Run("write", "raw.bin").back(), text::kWritePassed);
  }
  flash.resize(std::max<std::size_t>(flash.size(), c.readBytes), 0xFF);
  EXPECT_EQ(Run("read", "back.bin", c.readBytes).back(), text::kReadPassed);
  EXPECT_EQ(Bytes(dir.Read("back.bin")), Prefix(flash, c.readBytes));
  EXPECT_EQ(Prefix(SavedFlash(), flash.size()), flash);
}

const ReplyFaultCase kReplyFaultCases[] = {
    {"LateWithinTheSecondWait", {"--udp-delay", "125", "--udp-duplicate", "1"}, 1024, 1024, 0},
    {"LateBeyondTheThirdWait", {"--udp-delay", "325", "--udp-duplicate", "1"}, 512, 512, 0},
    {"LostThenDuplicated", {"--udp-drop-first", "2", "--udp-duplicate", "2"}, 1536, 1536, 0},
    {"RepeatedLater", {"--udp-duplicate", "5", "--udp-duplicate-delay", "1"}, 65536, 65536, 0},
    {"ForgedFromAnotherPort", {"--udp-stranger-port"}, 4096, 65536, 0},
    // Every answer repeated 5 ms later and one request in 300 lost: a copy
    // stands in for the "done" of a lost piece.
    {"CopiesHideALostWrite",
     {"--udp-duplicate", "1", "--udp-duplicate-delay", "5", "--udp-drop-every", "300"}, 262144, 262144, 0},
    // Late answers, every fifth repeated a little later, nothing lost.
    {"CopiesSwapPiecesOfAReadInAnErasedFlash",
     {"--udp-delay", "10", "--udp-duplicate", "5", "--udp-duplicate-delay", "3"}, 0, 65536, 16},
    {"CopiesFillLostPiecesOfARead",
     {"--udp-duplicate", "1", "--udp-duplicate-delay", "5", "--udp-drop-every", "64"}, 0, 65536, 64},
};
INSTANTIATE_TEST_SUITE_P(Replies, UdpReplyFaultTest, ::testing::ValuesIn(kReplyFaultCases),
                         [](const auto& param) { return std::string(param.param.name); });

// A seeded hunt: boards whose answers come late, repeated 0-20 ms after
// them, or not at all, under writes and reads of part-filled Flash. Every
// transfer ends byte-exact or fails with a reason, never a success with wrong
// bytes; and none of these networks may keep a write from succeeding.
class UdpFaultHuntTest : public FlashFaultTest, public ::testing::WithParamInterface<unsigned> {};

TEST_P(UdpFaultHuntTest, RandomFaultsNeverGiveWrongBytes) {
  constexpr int kRoundsPerBoard = 5;
  {
    const unsigned seed = GetParam();
    std::mt19937 random(seed);
    const auto pick = [&](unsigned low, unsigned high) { return std::to_string(low + random() % (high - low + 1)); };
    std::vector<std::string> options = {"--udp-delay", pick(0, 3), "--udp-duplicate", pick(1, 8),
                                        "--udp-duplicate-delay", pick(0, 20)};
    if (random() % 2 == 0) options.insert(options.end(), {"--udp-drop-every", pick(40, 200)});
    SCOPED_TRACE("seed " + std::to_string(seed) + ":" + ::testing::PrintToString(options));
    std::vector<std::uint8_t> flash;
    ASSERT_NO_FATAL_FAILURE(StartWithFlash(options, flash));
    station.udp.replyWait = milliseconds(40);  // beyond the latest copy
    station.sleeper = [](milliseconds) {};      // no pauses between the suffixes
    for (int round = 0; round < kRoundsPerBoard; ++round) {
      const std::uint32_t bytes = 512 * (8 + random() % 40) - random() % 512;
      const std::vector<std::uint8_t> image = PartFilled(bytes, random);
      dir.Write("raw.bin", image);
      const std::string written = Run("write", "raw.bin").back();
      EXPECT_EQ(written, text::kWritePassed);
      if (written != text::kWritePassed) return;  // the Flash is then unknown
      flash = image;
      const std::string read = Run("read", "back.bin", bytes).back();
      EXPECT_EQ(read, text::kReadPassed);
      if (read == text::kReadPassed) {
        EXPECT_EQ(Bytes(dir.Read("back.bin")), Prefix(flash, bytes));
      }
    }
    EXPECT_EQ(Prefix(SavedFlash(), flash.size()), flash);
  }
}
INSTANTIATE_TEST_SUITE_P(Seeds, UdpFaultHuntTest, ::testing::Range(1u, 11u));
}  // namespace
}  // namespace rz::testing
