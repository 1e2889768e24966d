#include <gtest/gtest.h>

#include "options.h"

namespace rzsim {
namespace {

ParseResult Parse(std::vector<std::string> args, SimConfig& config) {
  return ParseOptions(args, config);
}

// The message for a rejected command line; "" when it was accepted.
std::string ErrorOf(std::vector<std::string> args) {
  SimConfig config;
  const ParseResult r = ParseOptions(args, config);
  return r.kind == ParseResult::Kind::kError ? r.error : "";
}

TEST(Options, DefaultsDescribeASoundBoard) {
  SimConfig c;
  ASSERT_EQ(Parse({}, c).kind, ParseResult::Kind::kRun);
  EXPECT_TRUE(c.autoReset);
  EXPECT_FALSE(c.pace);
  EXPECT_TRUE(c.linkPath.empty());
  EXPECT_FALSE(c.faults.silent);
  EXPECT_NE(c.faults.clockAnswer, 'Q') << "the clock switch happens by default";
  EXPECT_EQ(c.faults.ethClose, 'Q');
  EXPECT_EQ(c.model.flash.device & 0xFFFF, 0x00C8u);
  EXPECT_EQ(c.model.flash.cfi, 0x00510051u);
}

TEST(Options, ValuesInBothSpellingsAndBases) {
  SimConfig c;
  ASSERT_EQ(Parse({"--sdram-config=0x1A2", "--eth-irq", "65535", "--eth-base", "0X300", "--link",
                   "/tmp/COM1", "--no-auto-reset", "--pace", "--lose-byte=2049",
                   "--clock-answer", "0x51", "--cpu-id", "1,0x2,3,4,0xFFFFFFFF"},
                  c)
                .kind,
            ParseResult::Kind::kRun);
  EXPECT_EQ(c.model.sdramConfig, 0x1A2u);
  EXPECT_EQ(c.model.ethernet.irq, 0xFFFF);
  EXPECT_EQ(c.model.ethernet.base, 0x300);
  EXPECT_EQ(c.linkPath, "/tmp/COM1");
  EXPECT_FALSE(c.autoReset);
  EXPECT_TRUE(c.pace);
  EXPECT_EQ(c.faults.loseByte, 2049u);
  EXPECT_EQ(c.faults.clockAnswer, 'Q');
  EXPECT_EQ(c.model.cpu.unique, 1u);
  EXPECT_EQ(c.model.cpu.random[3], 0xFFFFFFFFu);
}

TEST(Options, FlashCodesOverrideTheChipWhateverTheOrder) {
  SimConfig c;
  ASSERT_EQ(Parse({"--flash-device", "0x1234", "--flash-chip", "28f320b3b", "--flash-bus-width", "16"}, c)
                .kind,
            ParseResult::Kind::kRun);
  EXPECT_EQ(c.model.flash.device, 0x1234u);
  EXPECT_EQ(c.model.flash.manufacturer & 0xFFFF, 0x0089u);
  EXPECT_EQ(c.model.flash.busWidth, 16);
}

TEST(Options, BadCommandLinesAreRefusedNamingTheOption) {
  EXPECT_EQ(ErrorOf({"--bogus"}), "unknown option '--bogus'");
  EXPECT_EQ(ErrorOf({"COM1"}), "unexpected argument 'COM1'");
  EXPECT_EQ(ErrorOf({"--eth-base"}), "--eth-base needs a value (ADDR)");
  EXPECT_EQ(ErrorOf({"--silent=1"}), "--silent takes no value");
  EXPECT_EQ(ErrorOf({"--eth-base", "0x10000"}), "--eth-base: 0x10000 is too large (at most 0xFFFF)");
  EXPECT_EQ(ErrorOf({"--eth-voltage", "256"}), "--eth-voltage: 256 is too large (at most 0xFF)");
  EXPECT_EQ(ErrorOf({"--sdram-config", "0x1G"}), "--sdram-config: '0x1G' is not a number");
  EXPECT_EQ(ErrorOf({"--sdram-config", "-1"}), "--sdram-config: '-1' is not a number");
  EXPECT_EQ(ErrorOf({"--sdram-config", "0x"}), "--sdram-config: '0x' is not a number");
  EXPECT_EQ(ErrorOf({"--sdram-config", "0x100000000"}),
            "--sdram-config: 0x100000000 is too large (at most 0xFFFFFFFF)");
  EXPECT_EQ(ErrorOf({"--cpu-id", "1,2,3,4"}), "--cpu-id: expected 5 numbers separated by commas");
  EXPECT_EQ(ErrorOf({"--security-id", "1,2,3,4,5"}),
            "--security-id: expected 4 numbers separated by commas");
  EXPECT_EQ(ErrorOf({"--security-id", "1,,3,4"}), "--security-id: '' is not a number");
  EXPECT_EQ(ErrorOf({"--lose-byte", "0"}), "--lose-byte: bytes are counted from 1");
  EXPECT_EQ(ErrorOf({"--eth-bad-close", "0x51"}), "--eth-bad-close: 0x51 ('Q') is the sound closing byte");
  EXPECT_NE(ErrorOf({"--flash-chip", "AT49BV322A"}).find("unknown chip 'AT49BV322A'"), std::string::npos);
  EXPECT_EQ(ErrorOf({"--link="}), "--link: the path is empty");
}

TEST(Options, HelpWinsAndTheUsageListsEveryOption) {
  SimConfig c;
  EXPECT_EQ(Parse({"--silent", "-h", "--bogus"}, c).kind, ParseResult::Kind::kHelp);
  const std::string usage = UsageText();
  for (const char* name : {"--link PATH", "--no-auto-reset", "--pace", "--flash-chip CHIP",
                           "--cpu-id U,R1,R2,R3,R4", "--lose-byte N", "--clock-answer BYTE", "--help"}) {
    EXPECT_NE(usage.find(name), std::string::npos) << name;
  }
  std::size_t lineStart = 0;
  while (lineStart < usage.size()) {
    const std::size_t end = usage.find('\n', lineStart);
    EXPECT_LE(end - lineStart, 79u) << usage.substr(lineStart, end - lineStart);
    lineStart = end + 1;
  }
}

}  // namespace
}  // namespace rzsim
