// The simulated board's SDRAM, Ethernet test, RTC and service port commands,
// and the options that choose their faults.

#include <gtest/gtest.h>

#include "board_harness.h"
#include "board_test_commands.h"
#include "options.h"

namespace rzsim::testing {
namespace {

constexpr std::uint32_t kBaud = 115200;

struct Running : BoardHarness {
  explicit Running(const Faults& faults = {}, const BoardModel& model = {}) : BoardHarness(faults, model) {
    Download(16);
  }
  // One 'm' command; the reply.
  Bytes Block(std::uint32_t offset, std::uint8_t mode, std::uint32_t length = 0x10000) {
    Bytes request{'m'};
    PutLe32(request, offset);
    PutLe32(request, length);
    PutLe32(request, offset >> 20);
    request.push_back(mode);
    Send(request, kBaud);
    return Take();
  }
};

Bytes Refusal(std::uint32_t expected, std::uint32_t address, std::uint32_t read) {
  Bytes reply{'q'};
  PutLe32(reply, expected);
  PutLe32(reply, address);
  PutLe32(reply, read);
  return reply;
}

Faults Parsed(const std::vector<std::string>& args) {
  SimConfig config;
  EXPECT_EQ(ParseOptions(args, config).kind, ParseResult::Kind::kRun) << args.front();
  return config.faults;
}

TEST(SdramCommand, WritesAndComparesWithAPatternPerPass) {
  Running h;
  // Nothing written yet: the compare finds the first word wrong.
  EXPECT_EQ(h.Block(0x30000, 1), Refusal(SdramPattern(1, 0x30000), 0x30000, 0));
  EXPECT_EQ(h.Block(0x30000, 0), Bytes{'Q'});
  EXPECT_EQ(h.Block(0x30000, 1), Bytes{'Q'});
  // Pass 2 expects the other pattern: every bit of every word flips.
  EXPECT_EQ(h.Block(0x30000, 3), Refusal(SdramPattern(2, 0x30000), 0x30000, SdramPattern(1, 0x30000)));
  EXPECT_EQ(h.Block(0x30000, 2), Bytes{'Q'});
  EXPECT_EQ(h.Block(0x30000, 3), Bytes{'Q'});
  EXPECT_EQ(SdramPattern(1, 0x30000) ^ SdramPattern(2, 0x30000), 0xFFFFFFFFu);
  // Past the end of a 16 MB board, and a mode that does not exist.
  EXPECT_EQ(h.Block(0x1000000, 0), Refusal(0, 0x1000000, 0));
  EXPECT_EQ(h.Block(0, 4), Refusal(0, 0, 0));
  EXPECT_EQ(SdramBytesFor(0x142), 32u << 20);
  EXPECT_EQ(SdramBytesFor(0x122), 16u << 20);
}

TEST(SdramCommand, FaultsOfThePassesAndTheHang) {
  Running h(Parsed({"--sdram-error", "2:0x10006", "--sdram-write-fail", "1:0x20000", "--sdram-silent-from", "9"}));
  EXPECT_EQ(h.Block(0x10000, 0), Bytes{'Q'});
  EXPECT_EQ(h.Block(0x10000, 1), Bytes{'Q'});  // the faulty word is wrong in pass 2 only
  EXPECT_EQ(h.Block(0x10000, 2), Bytes{'Q'});
  EXPECT_EQ(h.Block(0x10000, 3), Refusal(SdramPattern(2, 0x10004), 0x10004, SdramPattern(2, 0x10004) ^ 0x100));
  EXPECT_EQ(h.Block(0x20000, 0), Refusal(0x20000, 0x20000, 0x20100));
  EXPECT_EQ(h.Block(0x20000, 2), Bytes{'Q'});
  EXPECT_EQ(h.Block(0x20000, 3), Bytes{'Q'});
  EXPECT_EQ(h.Block(0x30000, 0), Bytes{'Q'});
  // The ninth 'm' hangs the program: nothing answers any more, until a download.
  EXPECT_EQ(h.Block(0x30000, 1), Bytes{});
  h.Send({'s'}, kBaud);
  EXPECT_EQ(h.Take(), Bytes{});
}

TEST(EthernetTestCommand, StepsCountFromTheInitialisation) {
  Running h(Parsed({"--eth-step-fail", "2"}));
  for (int run = 0; run < 2; ++run) {
    h.Send({'i'}, kBaud);
    EXPECT_EQ(h.Take().back(), 'Q');
    h.Send({'l', 0x00, 0x04, 'l', 0x00, 0x04, 'l', 0x00, 0x04}, kBaud);
    EXPECT_EQ(h.Take(), (Bytes{'Q', 'q', 'Q'}));
  }
}

TEST(RtcCommand, CountsSecondsFromItsStartAndWraps) {
  using std::chrono::milliseconds;
  Faults f;
  f.rtcStart = 0xFFFFFFFA;
  EXPECT_EQ(RtcCounterAt(f, milliseconds(999)), 0xFFFFFFFAu);
  EXPECT_EQ(RtcCounterAt(f, milliseconds(10000)), 4u);
  f.rtcFast = true;
  EXPECT_EQ(RtcCounterAt(f, milliseconds(10500)), 14u);
  f.rtcStopped = true;
  EXPECT_EQ(RtcCounterAt(f, milliseconds(10500)), 0xFFFFFFFAu);

  Running h(Parsed({"--rtc-start", "0x01020304"}));
  h.Send({'f'}, kBaud);
  EXPECT_EQ(h.Take(), (Bytes{0x04, 0x03, 0x02, 0x01}));  // read within its first second
}

TEST(ServicePortCommand, EchoesTheLoopThenReportsTheLines) {
  Running h(Parsed({"--service-mismatch", "2", "--service-status", "0x12", "--service-words", "1,2,3"}));
  h.Send({'c', 4, 0, 0, 0}, kBaud);
  EXPECT_EQ(h.Take(), Bytes{});
  h.Send({10, 11, 12}, kBaud);
  EXPECT_EQ(h.Take(), (Bytes{10, 11, 12 ^ 0x10}));
  h.Send({13}, kBaud);
  EXPECT_EQ(h.Take(), (Bytes{13, 0x12, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0}));

  // A board of variant v5 does not know 'C'.
  Running v5(Parsed({"--service-variant", "v5"}));
  v5.Send({'C', 1, 0, 0, 0, 7}, kBaud);
  EXPECT_EQ(v5.Take(), Bytes{});
  v5.Send({'c', 0, 0, 0, 0}, kBaud);
  EXPECT_EQ(v5.Take(), (Bytes{0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}));
}

TEST(BoardTestOptions, BadValuesAreRefused) {
  const auto errorOf = [](std::vector<std::string> args) {
    SimConfig config;
    return ParseOptions(args, config).error;
  };
  EXPECT_EQ(errorOf({"--sdram-error", "3:0x10"}), "--sdram-error: the pass is 1 or 2");
  EXPECT_EQ(errorOf({"--sdram-error", "0x10"}), "--sdram-error: expected PASS:ADDR, for example 1:0x12340");
  EXPECT_EQ(errorOf({"--sdram-write-fail", "1:x"}), "--sdram-write-fail: 'x' is not a number");
  EXPECT_EQ(errorOf({"--sdram-silent-from", "0"}), "--sdram-silent-from: commands are counted from 1");
  EXPECT_EQ(errorOf({"--eth-step-fail", "0"}), "--eth-step-fail: steps are counted from 1");
  EXPECT_EQ(errorOf({"--service-variant", "v6"}), "--service-variant: takes v7 or v5, not 'v6'");
  EXPECT_EQ(errorOf({"--service-words", "1,2"}), "--service-words: expected 3 numbers separated by commas");
  EXPECT_EQ(Parsed({"--sdram-error", "1:4", "--sdram-error", "2:8"}).sdramErrors.size(), 2u);
}

}  // namespace
}  // namespace rzsim::testing
