#include <gtest/gtest.h>

#include "app/result_sink.h"
#include "app/texts.h"
#include "boardtests/configuration_decode.h"
#include "boardtests/configuration_readout.h"
#include "boardtests/cpu_clock_change.h"
#include "link/exchange.h"
#include "station_fixture.h"

namespace rz::testing {
namespace {

void PutLe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes = 4) {
  for (int k = 0; k < bytes; ++k) out.push_back(static_cast<std::uint8_t>(value >> (8 * k)));
}

// Keeps every identity a readout hands over.
struct RecordingSink final : ResultSink {
  void BoardIdentified(const BoardIdentity& identity) override { identities.push_back(identity); }
  void FlashChecked(const FlashCheck&) override {}
  std::vector<BoardIdentity> identities;
};

// Answers each command byte the station writes with the reply given for it.
class ConfigurationTest : public ScriptedStation {
 protected:
  void SetUp() override {
    StartWithProgram(100);
    station.results = &sink;
  }
  void Answer(std::map<std::uint8_t, std::vector<std::uint8_t>> replies) {
    port->onWrite = [this, replies](const std::vector<std::uint8_t>& written) {
      const auto found = replies.find(written.back());
      if (found != replies.end()) port->Feed(found->second);
    };
  }
  static std::vector<std::uint8_t> CpuReply(std::uint32_t unique, std::array<std::uint32_t, 4> random) {
    std::vector<std::uint8_t> reply;
    PutLe(reply, unique);
    for (auto word : random) PutLe(reply, word);
    return reply;
  }
  static std::vector<std::uint8_t> FlashReply(std::uint8_t bus, std::uint32_t maker, std::uint32_t device,
                                              std::uint32_t cfi) {
    std::vector<std::uint8_t> reply{bus};
    PutLe(reply, maker);
    PutLe(reply, device);
    PutLe(reply, cfi);
    for (std::uint32_t w : {0x11111111u, 0x22222222u, 0x33333333u, 0x0000abcdu}) PutLe(reply, w);
    return reply;
  }
  static std::vector<std::uint8_t> EthernetReply(std::uint16_t irq, std::uint8_t close = 'Q') {
    std::vector<std::uint8_t> reply{1, 0};
    PutLe(reply, 0x0300, 2);
    PutLe(reply, irq, 2);
    reply.push_back(1);
    reply.push_back(close);
    return reply;
  }
  RecordingSink sink;
};

TEST_F(ConfigurationTest, ReadsEverySectionFromTheBoard) {
  std::vector<std::uint8_t> sdram;
  PutLe(sdram, 0x0000012B);  // 16-bit chips, 64 Mbit, CAS 3
  Answer({{'j', CpuReply(0x00C0FFEE, {1, 2, 3, 4})},
          {'s', sdram},
          {'?', FlashReply(32, 0x0089, 0x8897, 0)},
          {'i', EthernetReply(4)}});
  EXPECT_EQ(Run(&ConfigurationReadout), Outcome::Success);
  const std::vector<std::string> expected = {
      " ", " == CPU ==", text::kProcessor74, " Uniq_ID: 00c0ffee",
      " Random_ID: 00000004 00000003 00000002 00000001", "", " == SDRAM ==", " Объем: 2x8 Мбайт",
      " Шина данных: 2x16 бит", " CAS Latency: 3", "", " == FLASH ==", " Шина Данных: 32 бита",
      " Производитель: Intel", " Тип: 28F320B3 <Bottom Boot>",
      " Security ID: 0000abcd 33333333 22222222 11111111", "", " == ETHERNET ==", " EEPROM: Да",
      " Режим обмена: Half Duplex", " Базовый Адрес: 0300h", " Прерывание: Запрещено",
      " Напряжение питания: 3.3B"};
  EXPECT_EQ(ui.Lines(), expected);
  EXPECT_EQ(port->written, (std::vector<std::uint8_t>{'j', 's', '?', 'i'}));
  EXPECT_GE(port->purgesIn, 2);  // at start-up and before the first command
  EXPECT_EQ(ui.status, text::kStatusIdle);

  // The same readout as values, handed over once.
  ASSERT_EQ(sink.identities.size(), 1u);
  const BoardIdentity& board = sink.identities[0];
  ASSERT_TRUE(board.processor && board.sdram && board.flash && board.ethernet);
  EXPECT_EQ(board.processor->clockMhz, 74);
  EXPECT_EQ(board.processor->uniqueId, 0x00C0FFEEu);
  EXPECT_EQ(board.processor->randomId, (std::array<std::uint32_t, 4>{1, 2, 3, 4}));
  EXPECT_EQ(board.sdram->TotalMegabytes(), 16);
  EXPECT_EQ(board.sdram->chipWidthBits, 16);
  EXPECT_EQ(board.sdram->casLatency, 3);
  EXPECT_EQ(board.flash->busWidthBits, 32);
  EXPECT_EQ(board.flash->maker, BoardIdentity::FlashMaker::Intel);
  EXPECT_EQ(board.flash->part, "28F320B3");
  EXPECT_EQ(board.flash->boot, BoardIdentity::BootBlock::Bottom);
  EXPECT_EQ(board.flash->securityId[3], 0x0000abcdu);
  EXPECT_EQ(board.ethernet->eeprom, true);
  EXPECT_EQ(board.ethernet->fullDuplex, false);
  EXPECT_EQ(board.ethernet->baseAddress, 0x0300);
  EXPECT_FALSE(board.ethernet->irq);  // disabled
  EXPECT_EQ(board.ethernet->supplyMillivolts, 3300);
}

TEST_F(ConfigurationTest, SilentBoardAndFourEscapesGiveFourErrorLines) {
  port->onRead = [this](int number) {
    if (number % 50 == 0) station.flags.RequestAbort();
  };
  EXPECT_EQ(Run(&ConfigurationReadout), Outcome::Failed);
  const std::vector<std::string> expected = {" ", " == CPU ==", text::kCpuReadError, "", " == SDRAM ==",
                                             text::kSdramReadError, "", " == FLASH ==", text::kFlashReadError,
                                             "", " == ETHERNET ==", text::kEthernetReadError};
  EXPECT_EQ(ui.Lines(), expected);
  EXPECT_EQ(port->reads, 200);
  EXPECT_TRUE(sink.identities.empty());  // nothing was learnt of the board
  EXPECT_EQ(station.flags.abort.load(), 0);
  EXPECT_EQ(ui.status, text::kStatusIdle);
  EXPECT_TRUE(ui.controlsEnabled);
}

TEST_F(ConfigurationTest, EthernetControllerThatDoesNotAnswerOrClosesBadly) {
  for (const auto& reply : {std::vector<std::uint8_t>{'q'}, EthernetReply(1, 'X')}) {
    ui.journal.Clear();
    Answer({{'j', CpuReply(0, {0, 0, 0, 0})}, {'s', {0, 0, 0, 0}}, {'?', FlashReply(8, 0, 0, 0)}, {'i', reply}});
    EXPECT_EQ(Run(&ConfigurationReadout), Outcome::Failed);
    EXPECT_EQ(ui.Lines().back(), text::kEthernetReadError);
    // What was read is handed over; the Ethernet section stays unknown.
    ASSERT_FALSE(sink.identities.empty());
    EXPECT_TRUE(sink.identities.back().flash && sink.identities.back().processor);
    EXPECT_FALSE(sink.identities.back().ethernet);
  }
  EXPECT_EQ(sink.identities.size(), 2u);
}

TEST_F(ConfigurationTest, ReplyByteAndEscInTheSameAttemptEndTheExchange) {
  port->Feed({0x51});
  port->onRead = [this](int number) {
    if (number == 1) station.flags.RequestAbort();
  };
  std::uint32_t word = 0;
  EXPECT_EQ(ReadSdramConfig(station, word), kExchangeFailed);
  EXPECT_EQ(station.flags.abort.load(), 0);
  // The byte was taken off the line and dropped.
  EXPECT_TRUE(port->incoming.empty());

  // The flag is back at 0: the next exchange is not stopped by the old ESC.
  port->onRead = nullptr;
  port->Feed({0xF4, 0x01, 0x00, 0x00});
  EXPECT_EQ(ReadSdramConfig(station, word), kExchangeOk);
  EXPECT_EQ(word, 500u);
}

TEST_F(ConfigurationTest, ClockSwitchAnsweredQStaysAt74AndPutsTheSelectorBack) {
  ui.cpuIndex = kCpuEntry90;
  Answer({{'M', {'Q'}}});
  EXPECT_EQ(Run(&CpuClockChange), Outcome::Success);
  EXPECT_EQ(port->written, (std::vector<std::uint8_t>{'M', 'Q'}));
  EXPECT_EQ(ui.cpuIndex, kCpuEntry74);
  EXPECT_TRUE(ui.cpuEnabled);
  EXPECT_EQ(ui.Lines(), (std::vector<std::string>{"", text::kCpuAt74, text::kDone}));
  EXPECT_EQ(port->settings.back().baud, 115200u);
}

TEST_F(ConfigurationTest, ClockSwitchAnsweredOtherwiseMovesTheLineTo57600) {
  ui.cpuIndex = kCpuEntry90;
  Answer({{'M', {0x33}}});
  EXPECT_EQ(Run(&CpuClockChange), Outcome::Success);
  EXPECT_EQ(port->written, (std::vector<std::uint8_t>{'M', 0x33}));
  EXPECT_EQ(port->writtenAtBaud[1], 115200u);  // the echo goes at the old speed
  // It has left the station before the speed change purges the output.
  EXPECT_TRUE(port->discarded.empty());
  ASSERT_GE(port->settings.size(), 2u);
  EXPECT_EQ(port->settings[port->settings.size() - 1].baud, 57600u);
  EXPECT_EQ(port->settings[port->settings.size() - 2].baud, 57600u);
  EXPECT_EQ(ui.Lines(), (std::vector<std::string>{"", text::kCpuAt90, text::kDone}));
  EXPECT_EQ(ui.cpuIndex, kCpuEntry90);
  EXPECT_FALSE(ui.cpuEnabled);  // stays disabled while the board runs at 90 MHz
  EXPECT_TRUE(ui.controlsEnabled);
  EXPECT_EQ(sleeps.back(), std::chrono::milliseconds(500));

  // The processor line follows the selector.
  EXPECT_EQ(DescribeCpu(DecodeCpu({}, kCpuEntry90))[0], text::kProcessor90);
}

TEST_F(ConfigurationTest, ClockSwitchTo74SendsNothingAndEscLeavesEverythingAsItWas) {
  EXPECT_EQ(Run(&CpuClockChange), Outcome::Success);
  EXPECT_TRUE(port->written.empty());
  EXPECT_EQ(ui.Lines(), (std::vector<std::string>{"", text::kCpuAt74, text::kDone}));

  ui.journal.Clear();
  ui.cpuIndex = kCpuEntry90;
  port->onRead = [this](int number) {
    if (number == 3) station.flags.RequestAbort();
  };
  const auto settingsBefore = port->settings.size();
  EXPECT_EQ(Run(&CpuClockChange), Outcome::Aborted);
  EXPECT_EQ(ui.Lines(), (std::vector<std::string>{"", text::kCpuSwitching, text::kAborted}));
  EXPECT_EQ(ui.cpuIndex, kCpuEntry90);
  EXPECT_EQ(port->settings.size(), settingsBefore);
}

TEST(ConfigurationDecode, FlashTypeComesFromTheDeviceCodeAlone) {
  struct Case {
    std::uint32_t device;
    std::uint32_t cfi;
    const char* line;
  };
  const Case cases[] = {
      {0x00C8, 0x00510051, " Тип: AT49BV322A <Bottom Boot>"}, {0x00C8, 0x00510052, " Тип: AT49BV321 <Bottom Boot>"},
      {0x00C9, 0x00510051, " Тип: AT49BV322AT <Top Boot>"},   {0x00C9, 0, " Тип: AT49BV321T <Top Boot>"},
      {0x223F, 0x00510051, " Тип: K8D3216UB <Bottom Boot>"},  {0x22B7, 0, " Тип: K8D3216UT <Top Boot>"},
      {0x8896, 0, " Тип: 28F320B3 <Top Boot>"},               {0xABCD8897, 0, " Тип: 28F320B3 <Bottom Boot>"},
      {0x1234, 0x00510051, " Тип: ???"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DescribeFlash(DecodeFlash({0, 0, c.device, c.cfi, {}}))[2], c.line) << std::hex << c.device;
  }

  FlashId intelWithAtmelCode;
  intelWithAtmelCode.busWidth = 16;
  intelWithAtmelCode.manufacturer = 0xFFFF0089;
  intelWithAtmelCode.device = 0x00C8;
  const auto lines = DescribeFlash(DecodeFlash(intelWithAtmelCode));
  EXPECT_EQ(lines[0], " Шина Данных: 16 бит");
  EXPECT_EQ(lines[1], " Производитель: Intel");
  EXPECT_EQ(lines[2], " Тип: AT49BV321 <Bottom Boot>");
  intelWithAtmelCode.busWidth = 12;
  intelWithAtmelCode.manufacturer = 0x0001;
  EXPECT_EQ(DescribeFlash(DecodeFlash(intelWithAtmelCode))[0], " Шина Данных: ??? бит");
  EXPECT_EQ(DescribeFlash(DecodeFlash(intelWithAtmelCode))[1], " Производитель: ???");
}

TEST(ConfigurationDecode, SdramAndEthernetFieldsOutsideTheirTablesShowQuestionMarks) {
  EXPECT_EQ(DescribeSdram(DecodeSdram(0x040 | 0x080 | 2)),
            (std::vector<std::string>{" Объем: 2x16 Мбайт", " Шина данных: 2x8 бит", " CAS Latency: 2"}));
  EXPECT_EQ(DescribeSdram(DecodeSdram(0x060 | 0x180 | 1)),
            (std::vector<std::string>{" Объем: ???", " Шина данных: ???", " CAS Latency: ???"}));
  const BoardIdentity::Sdram unknown = DecodeSdram(0x060 | 0x180 | 1);
  EXPECT_FALSE(unknown.TotalMegabytes() || unknown.chipWidthBits || unknown.casLatency);

  EthernetConfig config{2, 2, 0xABCD, 0xFFFF, 2};
  EXPECT_EQ(DescribeEthernet(DecodeEthernet(config)),
            (std::vector<std::string>{" EEPROM: ???", " Режим обмена: ???", " Базовый Адрес: abcdh",
                                      " Прерывание: Запрещено", " Напряжение питания: ???"}));
  const char* irqLines[] = {" Прерывание: IRQ0 <Pin32>", " Прерывание: IRQ1 <Pin31>", " Прерывание: IRQ2 <Pin30>",
                            " Прерывание: IRQ3 <Pin35>"};
  for (std::uint16_t irq = 0; irq < 4; ++irq) {
    config.interruptLine = irq;
    EXPECT_EQ(DescribeEthernet(DecodeEthernet(config))[3], irqLines[irq]);
  }
  config = {0, 1, 0x20, 0, 0};
  const auto lines = DescribeEthernet(DecodeEthernet(config));
  EXPECT_EQ(lines[0], " EEPROM: Нет");
  EXPECT_EQ(lines[1], " Режим обмена: Full Duplex");
  EXPECT_EQ(lines[2], " Базовый Адрес: 0020h");
  EXPECT_EQ(lines[4], " Напряжение питания: 5.0B");
}

}  // namespace
}  // namespace rz::testing
