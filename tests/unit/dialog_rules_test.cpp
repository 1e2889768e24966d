// What the dialogs' edit boxes take and what the dialogs store: the
// test-parameters, byte-count, IP-address and serial-number dialogs, without
// a window.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/edit_rule.h"
#include "app/ip_address.h"
#include "app/serial_number_entry.h"
#include "boardtests/test_params_dialog.h"
#include "flash/byte_count_dialog.h"

namespace rz {
namespace {

TEST(EditRule, BoxesTakeTheirLengthInCharactersAndDigitsWhereAsked) {
  struct Case {
    EditRule rule;
    const char* text;
    bool accepted;
  };
  const Case cases[] = {
      {kBlockSizeEdit, "", true},
      {kBlockSizeEdit, "2048", true},
      {kBlockSizeEdit, "20480", false},
      {kBlockSizeEdit, "12a", false},
      {kBlockSizeEdit, "-1", false},
      {kBlockSizeEdit, " 12", false},
      {kByteCountEdit, "8388608", true},
      {kByteCountEdit, "83886080", false},
      {kByteCountEdit, "\xd9\xa3", false},  // an Arabic-Indic digit is no decimal digit here
      {kIpAddressEdit, "192.168.200.200", true},
      {kIpAddressEdit, "192.168.200.2001", false},
      {kIpAddressEdit, "abc", true},  // the station's parser refuses it, not the box
      {kIpAddressEdit, "ЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖ", true},  // 15 characters in 30 bytes
      {kIpAddressEdit, "ЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖ", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EditAccepts(c.rule, c.text), c.accepted) << c.text;
  }
}

TEST(EditRule, ClipKeepsWholeCharacters) {
  EXPECT_EQ(EditClip(EditRule{2, false}, "ЖЖЖ"), "ЖЖ");
  EXPECT_EQ(EditClip(EditRule{2, false}, "aЖb"), "aЖ");
  EXPECT_EQ(EditClip(EditRule{4, true}, "12"), "12");
  EXPECT_EQ(EditClip(EditRule{0, false}, "x"), "");
}

TEST(ByteCountDialog, EnterGivesTheLeadingDigitsOfTheBoxAndEscapeZero) {
  struct Case {
    const char* text;
    std::uint32_t count;
  };
  const Case cases[] = {{"8388608", 8388608}, {"12x5", 12}, {"", 0}, {"x", 0},
                       {"99999999999", 9999999}};  // more than the box holds: only its seven digits count
  for (const Case& c : cases) EXPECT_EQ(ByteCountOnEnter(c.text), c.count) << c.text;
  EXPECT_EQ(kByteCountOnEscape, 0u);
}

TEST(SerialNumberDialog, TheBoxTakesPrintableTextAndEnterGivesItTrimmedOrNothing) {
  std::string longest;
  for (std::size_t i = 0; i < kSerialNumberTextLimit; ++i) longest += "Ж";
  struct Case {
    std::string text;
    bool accepted;
    std::optional<std::string> number;
  };
  const Case cases[] = {
      {"  SN-0042 ", true, "SN-0042"},
      {longest, true, longest},
      {longest + "1", false, longest},
      {"AB\tC\r\n", false, "ABC"},
      {"A\x7f\xc2\x85\xc2\xa0" "B", false, "A\xc2\xa0" "B"},  // DEL and NEL dropped, the no-break space kept
      {"   ", true, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SerialNumberBoxAccepts(c.text), c.accepted) << c.text;
    EXPECT_EQ(SerialNumberOnEnter(c.text), c.number) << c.text;
  }
}

ExtComParams Params(std::uint8_t speed, std::int32_t fifo, std::int32_t block, std::int32_t line,
                    std::int32_t code, std::int32_t channels) {
  ExtComParams p;
  p.speedCode = speed;
  p.fifoMode = fifo;
  p.irqFlag = fifo == kFifoSerialIrq || fifo == kFifoParallelIrq ? 1 : 0;
  p.blockSize = block;
  p.lineMode = line;
  p.codePattern = code;
  p.channelCount = channels;
  return p;
}

TEST(TestParamsDialog, OpeningThenOkStoresTheParametersUnchanged) {
  const ExtComParams cases[] = {
      ExtComParams{},
      Params(1, kFifoParallelIrq, 2048, 0, 1, kAllChannels),
      Params(8, kFifoSerialIrq, 1024, 4, 0, kFewChannels),
      Params(5, kFifoLatch, 1, 2, 1, kAllChannels),
  };
  for (const ExtComParams& params : cases) {
    SCOPED_TRACE(::testing::Message() << "speed " << int{params.speedCode} << " fifo " << params.fifoMode);
    const ExtComDialogChoice shown = DialogOpeningChoice(params);
    EXPECT_TRUE(EditAccepts(kBlockSizeEdit, shown.blockText));
    EXPECT_EQ(ApplyDialogOk(params, shown), params);
  }
}

TEST(TestParamsDialog, AParameterWithoutAnEntryOpensWithNoneSelected) {
  ExtComParams params;
  params.speedCode = 9;
  params.fifoMode = 4;
  params.lineMode = -3;
  params.codePattern = -1;  // text was typed last time
  const ExtComDialogChoice shown = DialogOpeningChoice(params);
  EXPECT_EQ(std::vector<int>({shown.speedIndex, shown.fifoIndex, shown.lineIndex, shown.codeIndex, shown.channelIndex}),
            std::vector<int>({-1, -1, -1, -1, 0}));
  params.speedCode = 0;
  EXPECT_EQ(DialogOpeningChoice(params).speedIndex, -1);
  params.speedCode = 8;
  EXPECT_EQ(DialogOpeningChoice(params).speedIndex, 7);
}

}  // namespace
}  // namespace rz
