// The simulated board's Flash: erase, program, compare, read, and its faults.

#include <gtest/gtest.h>

#include <algorithm>

#include "board_harness.h"
#include "flash_commands.h"
#include "flash_image.h"
#include "options.h"

namespace rzsim::testing {
namespace {

struct FlashBoard : BoardHarness {
  explicit FlashBoard(const Faults& faults = {}) : BoardHarness(faults) { Download(16); }
  Bytes Command(std::uint8_t op, std::uint32_t address, std::optional<std::uint32_t> length = {}, Bytes data = {},
                std::optional<std::uint8_t> checksum = {}) {
    Bytes request{op};
    PutLe32(request, address);
    if (length) PutLe32(request, *length);
    request.insert(request.end(), data.begin(), data.end());
    if (op == 'w') {
      std::uint8_t sum = 0;
      for (std::uint8_t b : data) sum = static_cast<std::uint8_t>(sum + b);
      request.push_back(checksum.value_or(static_cast<std::uint8_t>(0u - sum)));
    }
    Send(request, 115200);
    return Take();
  }
  Bytes Write(std::uint32_t address, Bytes data) {
    const auto length = static_cast<std::uint32_t>(data.size());
    return Command('w', address, length, std::move(data));
  }
  std::vector<std::uint8_t>& flash() { return board.memory().flash; }
};

Bytes Refusal(std::uint32_t a, std::uint32_t b) {
  Bytes r{'q'};
  PutLe32(r, a);
  PutLe32(r, b);
  return r;
}

TEST(FlashCommands, ProgrammingOnlyClearsBitsAndEraseSetsThemAgain) {
  FlashBoard h;
  EXPECT_EQ(h.Write(0x4000, {0xF0, 0x0F, 0x12, 0x34}), Bytes{'Q'});
  EXPECT_EQ(h.flash()[0x4000], 0xF0);
  // Over programmed bits, a word that needs a bit set again does not take.
  EXPECT_EQ(h.Write(0x4000, {0xFF, 0x0F, 0x12, 0x34}), Refusal(0x3412'0FFF, 0x3412'0FF0));
  EXPECT_EQ(h.Command('e', 0x4000), Bytes{'Q'});
  EXPECT_EQ(h.flash()[0x4000], 0xFF);
  EXPECT_EQ(h.Write(0x4000, {0xFF, 0x0F}), Bytes{'Q'});
  // An erase hits the whole block that holds the address, and only it.
  h.Write(0x3FFF, {0});
  h.Write(0x20000, {0});
  h.Write(0x40000, {0});
  h.Command('e', 0x20010);
  EXPECT_EQ(h.flash()[0x3FFF], 0);
  EXPECT_EQ(h.flash()[0x20000], 0xFF);
  EXPECT_EQ(h.flash()[0x40000], 0);
}

TEST(FlashCommands, WrongWriteChecksumIsCountedAndRefused) {
  FlashBoard h;
  EXPECT_EQ(h.Command('w', 0, 2, {1, 2}, 0x00), Refusal(0, 0));
  EXPECT_EQ(h.flash()[0], 0xFF);
  EXPECT_EQ(h.board.program().flashState().badWriteChecksums, 1u);
}

TEST(FlashCommands, TestRangeComparesAndReadSumsToZero) {
  FlashBoard h;
  EXPECT_EQ(h.Command('t', 0, 0x4000), Bytes{'Q'});
  EXPECT_EQ(h.Command('t', 0, 0x4000), Bytes{'Q'});  // the same data again takes
  // Over other data, without an erase, the test data does not take.
  h.Write(0x4100, Bytes(4, 0));
  const Bytes again = h.Command('t', 0x4000, 0x4000);
  ASSERT_EQ(again.size(), 9u);
  EXPECT_EQ(again[0], 'q');
  const Bytes reply = h.Command('r', 0x10, 512);
  ASSERT_EQ(reply.size(), 513u);
  std::uint8_t sum = 0;
  for (std::uint8_t b : reply) sum = static_cast<std::uint8_t>(sum + b);
  EXPECT_EQ(sum, 0);
  EXPECT_EQ(Bytes(reply.begin(), reply.end() - 1), Bytes(h.flash().begin() + 0x10, h.flash().begin() + 0x210));
}

TEST(FlashCommands, FaultsOnFirstAttemptsAndSilence) {
  SimConfig config;
  ASSERT_EQ(ParseOptions({"--flash-fault", "e:0x4001:fl_1:first", "--flash-fault", "w:0x100:1/1",
                          "--flash-bad-read", "0x200:first", "--flash-lose-byte", "0x401", "--flash-silent-from", "5"},
                         config)
                .kind,
            ParseResult::Kind::kRun);
  FlashBoard h(config.faults);
  EXPECT_EQ(h.Command('e', 0x4000), Refusal(0x12345678, 0x00005678));
  EXPECT_EQ(h.Command('e', 0x4000), Bytes{'Q'});  // the retry passes
  EXPECT_EQ(h.Command('e', 0x0), Bytes{'Q'});
  EXPECT_EQ(h.Command('e', 0x4000), Refusal(0x12345678, 0x00005678));  // a first attempt again
  EXPECT_EQ(h.Write(0xF0, Bytes(32, 0)), Refusal(1, 1));                  // piece 1
  EXPECT_EQ(h.Command('r', 0x200, 4).size(), 5u);                         // piece 2, bad checksum
  const Bytes retried = h.Command('r', 0x200, 4);                         // piece 3, good
  EXPECT_EQ(static_cast<std::uint8_t>(retried[0] + retried[1] + retried[2] + retried[3] + retried[4]), 0);
  EXPECT_EQ(h.Command('r', 0x400, 4).size(), 4u);  // piece 4 lacks a byte
  EXPECT_TRUE(h.Command('r', 0, 4).empty());       // piece 5: silent from here on
  EXPECT_TRUE(h.Command('e', 0).empty());
}

TEST(FlashCommands, APieceAcknowledgedWithoutWritingKeepsItsBytesOnEveryWrite) {
  SimConfig config;
  EXPECT_EQ(ParseOptions({"--flash-ack-without-write", "16384"}, config).kind, ParseResult::Kind::kError);
  ASSERT_EQ(ParseOptions({"--flash-ack-without-write", "2"}, config).kind, ParseResult::Kind::kRun);
  FlashBoard h(config.faults);
  // The piece, then a rewrite across both its ends: only the bytes outside it take.
  EXPECT_EQ(h.Write(0x400, Bytes(0x200, 0)), Bytes{'Q'});
  EXPECT_EQ(h.Write(0x3FE, Bytes(0x204, 0)), Bytes{'Q'});
  EXPECT_EQ(std::count(h.flash().begin() + 0x3FE, h.flash().begin() + 0x602, 0), 4);
  EXPECT_EQ(std::count(h.flash().begin() + 0x400, h.flash().begin() + 0x600, 0xFF), 0x200);
}

TEST(FlashCommands, OptionsAndImageFiles) {
  for (const char* bad : {"x:0:fl_0", "e:zz:fl_0", "e:0:fl_2", "e:0:fl_0:last", "e:0:1/"}) {
    SimConfig config;
    EXPECT_EQ(ParseOptions({"--flash-fault", bad}, config).kind, ParseResult::Kind::kError) << bad;
  }
  SimConfig config;
  EXPECT_EQ(ParseOptions({"--flash-silent-from", "0"}, config).kind, ParseResult::Kind::kError);
  EXPECT_NE(UsageText().find("--flash-fault CMD:ADDR:HALF[:first]"), std::string::npos);

  const std::string path = ::testing::TempDir() + "/rzsim-flash-image.bin";
  BoardMemory memory;
  memory.flash[5] = 0x42;
  std::string error;
  ASSERT_TRUE(SaveFlash(path, memory, error)) << error;
  BoardMemory loaded;
  loaded.flash.assign(loaded.flash.size(), 0);
  ASSERT_TRUE(LoadFlash(path, loaded, error)) << error;
  EXPECT_EQ(loaded.flash, memory.flash);
  std::remove(path.c_str());
  EXPECT_FALSE(LoadFlash(path, loaded, error));
}

}  // namespace
}  // namespace rzsim::testing
