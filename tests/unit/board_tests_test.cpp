// The SDRAM, Ethernet, RTC and service COM tests against a scripted board:
// the journal lines and the bytes on the wire, with sleeps recorded.

#include <gtest/gtest.h>

#include <numeric>

#include "app/texts.h"
#include "boardtests/board_test_texts.h"
#include "boardtests/ethernet_test.h"
#include "boardtests/rtc_test.h"
#include "boardtests/sdram_test.h"
#include "boardtests/service_com_test.h"
#include "station_fixture.h"

namespace rz::testing {
namespace {

using std::chrono::milliseconds;
using Bytes = std::vector<std::uint8_t>;

void PutLe(Bytes& out, std::uint32_t value) {
  for (int k = 0; k < 4; ++k) out.push_back(static_cast<std::uint8_t>(value >> (8 * k)));
}

std::uint32_t Le32(const Bytes& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int k = 0; k < 4; ++k) value |= static_cast<std::uint32_t>(bytes[at + k]) << (8 * k);
  return value;
}

struct SdramCommand {
  std::uint32_t offset, length, megabyte;
  std::uint8_t mode;
};

// A board that parses the station's byte stream into commands and answers them.
class BoardTestsTest : public ScriptedStation {
 protected:
  void SetUp() override {
    StartWithProgram(100);
    port->onWrite = [this](const Bytes& written) { Parse(written); };
  }

  // Raises the abort flag from the sleeper once `trigger` returns true.
  void EscWhenSleepingOn(std::function<bool(const std::string& lastLine)> trigger) {
    station.sleeper = [this, trigger](milliseconds d) {
      sleeps.push_back(d);
      if (trigger(ui.Lines().back())) station.flags.RequestAbort();
    };
  }
  milliseconds Slept() const { return std::accumulate(sleeps.begin(), sleeps.end(), milliseconds(0)); }
  // Every AddJournalLine text that replaced a line (mode != 0) and starts with `prefix`.
  std::vector<std::string> Rewrites(const std::string& prefix) {
    std::vector<std::string> texts;
    for (const auto& [mode, text] : ui.addCalls) {
      if (mode != 0 && text.rfind(prefix, 0) == 0) texts.push_back(text);
    }
    return texts;
  }

  std::uint32_t sdramConfig = 0x122;
  std::function<Bytes(const SdramCommand&)> sdramReply = [](const SdramCommand&) { return Bytes{'Q'}; };
  std::vector<SdramCommand> sdramCommands;
  Bytes ethernetInit = {1, 0, 0x00, 0x03, 1, 0, 1, 'Q'};
  std::function<std::uint8_t(int step)> ethernetStep = [](int) { return std::uint8_t{'Q'}; };
  std::vector<std::uint32_t> rtcReadings;
  std::function<std::uint8_t(std::uint32_t i, std::uint8_t byte)> echo = [](std::uint32_t, std::uint8_t b) { return b; };
  Bytes lineReport = {0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
  std::uint32_t serviceOpcodes = 0;
  std::uint32_t looped = 0;

 private:
  void Parse(const Bytes& w) {
    while (parsed_ < w.size()) {
      const std::size_t left = w.size() - parsed_;
      if (inLoop_) {
        port->Feed({echo(looped, w[parsed_])});
        ++parsed_;
        if (++looped == 500) {
          inLoop_ = false;
          port->Feed(lineReport);
        }
        continue;
      }
      const std::uint8_t op = w[parsed_];
      if (op == 's') {
        Bytes reply;
        PutLe(reply, sdramConfig);
        port->Feed(reply);
        parsed_ += 1;
      } else if (op == 'm' && left >= 14) {
        const SdramCommand c{Le32(w, parsed_ + 1), Le32(w, parsed_ + 5), Le32(w, parsed_ + 9), w[parsed_ + 13]};
        sdramCommands.push_back(c);
        port->Feed(sdramReply(c));
        parsed_ += 14;
      } else if (op == 'i') {
        port->Feed(ethernetInit);
        parsed_ += 1;
      } else if (op == 'l' && left >= 3) {
        port->Feed({ethernetStep(++steps_)});
        parsed_ += 3;
      } else if (op == 'f') {
        if (!rtcReadings.empty()) {
          Bytes reply;
          PutLe(reply, rtcReadings.front());
          rtcReadings.erase(rtcReadings.begin());
          port->Feed(reply);
        }
        parsed_ += 1;
      } else if ((op == 'C' || op == 'c') && left >= 5) {
        ++serviceOpcodes;
        looped = 0;
        inLoop_ = true;
        parsed_ += 5;
      } else {
        return;  // wait for the rest of the command
      }
    }
  }
  std::size_t parsed_ = 0;
  int steps_ = 0;
  bool inLoop_ = false;
};

// ---- SDRAM ----

Bytes SdramError(std::uint32_t expected, std::uint32_t address, std::uint32_t read) {
  Bytes reply{'q'};
  PutLe(reply, expected);
  PutLe(reply, address);
  PutLe(reply, read);
  return reply;
}

TEST_F(BoardTestsTest, SdramOf128MbitChipsRunsTwoPassesOf512Blocks) {
  sdramConfig = 0x142;  // 128 Mbit, 16 bits wide, CAS 2
  station.flags.soundOption.store(1);
  EXPECT_EQ(Run(&SdramTest), Outcome::Success);
  EXPECT_EQ(ui.Lines(), (std::vector<std::string>{"", " 1.Запись SDRAM(32 Mб): OK", "   Чтение SDRAM(32 Mб): OK",
                                                  " 2.Запись SDRAM(32 Mб): OK", "   Чтение SDRAM(32 Mб): OK",
                                                  "   Тестирование завершено успешно."}));
  ASSERT_EQ(sdramCommands.size(), 4u * 512u);
  // Each phase counts up to the last block's offset before "OK" replaces it.
  for (const char* phase : {" 1.Запись SDRAM(32 Mб): ", "   Чтение SDRAM(32 Mб): "}) {
    const auto figures = Rewrites(phase);
    ASSERT_GE(figures.size(), 2u);
    EXPECT_EQ(figures[figures.size() - 2], std::string(phase) + "32704 Кбайт");
  }
  for (std::size_t i = 0; i < sdramCommands.size(); ++i) {
    const SdramCommand& c = sdramCommands[i];
    EXPECT_EQ(c.offset, (i % 512) * 0x10000u);
    EXPECT_EQ(c.length, 0x10000u);
    EXPECT_EQ(c.megabyte, c.offset >> 20);
    ASSERT_EQ(c.mode, i / 512) << i;  // modes 0, 1, 2, 3 in turn
  }
  // The first request on the wire: 's', then 'm' and 13 argument bytes.
  EXPECT_EQ(Bytes(port->written.begin(), port->written.begin() + 15),
            (Bytes{'s', 'm', 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(Slept(), milliseconds(20000));  // two refresh pauses of ten seconds
  EXPECT_EQ(sound.Tones().size(), 6u);
  EXPECT_EQ(ui.status, text::kStatusIdle);
  EXPECT_TRUE(ui.controlsEnabled);
}

TEST_F(BoardTestsTest, SdramWordOutsideTheTableFailsWithoutTesting) {
  // 8-bit chips, a density the table lacks, no width: alone, and after a 32 MB
  // board whose size must not carry over.
  for (const char* word : {"000000a2", "00000162", "00000002"}) {
    for (const bool afterKnownBoard : {false, true}) {
      sdramConfig = 0x142;
      if (afterKnownBoard) {
        ASSERT_EQ(Run(&SdramTest), Outcome::Success);
      }
      ui.journal.Clear();
      sdramCommands.clear();
      sdramConfig = static_cast<std::uint32_t>(std::stoul(word, nullptr, 16));
      EXPECT_EQ(Run(&SdramTest), Outcome::Failed) << word;
      EXPECT_EQ(ui.Lines(), (std::vector<std::string>{text::kSdramUnknownConfig + std::string(word),
                                                      "   Операция прервана."}));
      EXPECT_TRUE(sdramCommands.empty());
    }
  }
}

TEST_F(BoardTestsTest, SdramCompareErrorsAreListedBelowTheReadLine) {
  sdramReply = [](const SdramCommand& c) {
    if (c.mode == kSdramComparePass1 && (c.offset == 0x20000 || c.offset == 0x50000 || c.offset == 0xFF0000)) {
      return SdramError(c.offset + 4, c.offset + 4, (c.offset + 4) ^ 0x100);
    }
    return Bytes{'Q'};
  };
  EXPECT_EQ(Run(&SdramTest), Outcome::Failed);
  EXPECT_EQ(ui.Lines(),
            (std::vector<std::string>{"", " 1.Запись SDRAM(16 Mб): OK", "   Чтение SDRAM(16 Mб): *Oшибки.",
                                      "   Addr=0x0020004 Data=0x00020004 ErrData=0x00020104",
                                      "   Addr=0x0050004 Data=0x00050004 ErrData=0x00050104",
                                      "   Addr=0x0ff0004 Data=0x00ff0004 ErrData=0x00ff0104",
                                      " 2.Запись SDRAM(16 Mб): OK",
                                      // The count is not reset between passes.
                                      "   Чтение SDRAM(16 Mб): *Oшибки.", "   Операция прервана."}));
  // The read line went on counting above the error lines: the block after the
  // second error was shown on the line two above the last.
  const auto& calls = ui.addCalls;
  EXPECT_NE(std::find(calls.begin(), calls.end(), std::pair<int, std::string>(-3, "   Чтение SDRAM(16 Mб): 384 Кбайт")),
            calls.end());
  EXPECT_EQ(std::count(sleeps.begin(), sleeps.end(), milliseconds(50)), 2 * 200 + 3 * 5);  // pauses in slices
}

TEST_F(BoardTestsTest, SdramWriteFailureEndsTheTestAtOnce) {
  sdramReply = [](const SdramCommand& c) {
    return c.mode == kSdramWritePass2 && c.offset == 0x20000 ? SdramError(1, 2, 3) : Bytes{'Q'};
  };
  EXPECT_EQ(Run(&SdramTest), Outcome::Failed);
  const auto lines = ui.Lines();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[3], " 2.Запись SDRAM(16 Mб): 128 Кбайт *Ошибка.");
  EXPECT_EQ(lines[4], "   Операция прервана.");
  EXPECT_EQ(sdramCommands.size(), 512u + 3u);
}

TEST_F(BoardTestsTest, EscDuringTheRefreshPauseOnlyShortensIt) {
  // ESC while the pause shows 7, and in the other pass while it shows 1.
  EscWhenSleepingOn([this](const std::string& last) {
    const bool firstPass = sdramCommands.size() == 256;
    return last == (firstPass ? "   Пауза на регенерацию: 7\u0441" : "   Пауза на регенерацию: 1\u0441");
  });
  EXPECT_EQ(Run(&SdramTest), Outcome::Success);
  EXPECT_EQ(ui.Lines().back(), "   Тестирование завершено успешно.");
  EXPECT_EQ(sdramCommands.size(), 4u * 256u);
  // Pass 1: 10, 9, 8 whole, 7 cut after one slice; pass 2: 10..2 whole, 1 cut.
  EXPECT_EQ(Slept(), milliseconds(3000 + 50 + 9000 + 50));
  EXPECT_EQ(station.flags.abort.load(), 0);
}

TEST_F(BoardTestsTest, SdramAbortsOnEscWhileReadingBackOrReadingTheConfiguration) {
  // ESC while the board is silent on the configuration word.
  sdramConfig = 0x122;
  port->onWrite = nullptr;
  port->onRead = [this](int number) {
    if (number == 20) station.flags.RequestAbort();
  };
  EXPECT_EQ(Run(&SdramTest), Outcome::Aborted);
  EXPECT_EQ(ui.Lines(), (std::vector<std::string>{text::kSdramConfigError, "   Операция прервана."}));

  // ESC while a block of the read phase is awaited.
  ui.journal.Clear();
  port->onRead = nullptr;
  port->onWrite = [this](const Bytes& written) {
    if (written.size() == 1) port->Feed({0x22, 0x01, 0, 0});
    if (written.size() > 1 && written.back() == kSdramComparePass1 && written.size() % 14 == 1 &&
        Le32(written, written.size() - 13) == 0x30000) {
      station.flags.RequestAbort();
    } else if (written.size() > 1 && written.size() % 14 == 1) {
      port->Feed({'Q'});
    }
  };
  port->written.clear();
  EXPECT_EQ(Run(&SdramTest), Outcome::Aborted);
  EXPECT_EQ(ui.LinesFrom(2), (std::vector<std::string>{"   Чтение SDRAM(16 Mб): 192 Кбайт", "   Операция прервана."}));
  EXPECT_EQ(station.flags.abort.load(), 0);
}

// ---- Ethernet ----

TEST_F(BoardTestsTest, EthernetRunsItsStepsWithTheFigureRewrittenEveryTime) {
  EXPECT_EQ(Run(&EthernetTest), Outcome::Success);
  EXPECT_EQ(ui.Lines(), (std::vector<std::string>{" ", text::kEthernetDone, text::kTestPassed}));
  const auto figures = Rewrites(" Тестирование Ethernet: ");
  ASSERT_EQ(figures.size(), 151u);
  const std::vector<std::string> first(figures.begin(), figures.begin() + 6);
  EXPECT_EQ(first, (std::vector<std::string>{" Тестирование Ethernet: 0%", " Тестирование Ethernet: 0%",
                                             " Тестирование Ethernet: 1%", " Тестирование Ethernet: 2%",
                                             " Тестирование Ethernet: 2%", " Тестирование Ethernet: 3%"}));
  EXPECT_EQ(figures[149], " Тестирование Ethernet: 99%");
  EXPECT_EQ(figures[150], text::kEthernetDone);
  // 'i', then exactly 0x6C 0x00 0x04 per step.
  Bytes expected{'i'};
  for (int i = 0; i < 150; ++i) expected.insert(expected.end(), {0x6C, 0x00, 0x04});
  EXPECT_EQ(port->written, expected);
  EXPECT_TRUE(sound.Tones().empty());
}

TEST_F(BoardTestsTest, EthernetFailuresStopWhereTheyHappen) {
  struct Case {
    int failingStep;  // 0: the initialisation fails
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {0, {" ", " Тестирование Ethernet: ", " *Ошибка инициализации.", " Операция прервана."}},
      {1, {" ", " Тестирование Ethernet: 0% *Ошибки", " Операция прервана."}},
      {150, {" ", " Тестирование Ethernet: 99% *Ошибки", " Операция прервана."}},
  };
  for (const Case& c : cases) {
    ui.journal.Clear();
    ethernetInit = c.failingStep == 0 ? Bytes{'q'} : Bytes{1, 0, 0x00, 0x03, 1, 0, 1, 'Q'};
    int steps = 0;
    ethernetStep = [&c, &steps](int) { return ++steps == c.failingStep ? std::uint8_t{'x'} : std::uint8_t{'Q'}; };
    EXPECT_EQ(Run(&EthernetTest), Outcome::Failed);
    EXPECT_EQ(ui.Lines(), c.lines) << c.failingStep;
  }
}

// ---- RTC ----

TEST_F(BoardTestsTest, RtcPassesOnTenOrElevenSecondsInUnsignedArithmetic) {
  struct Case {
    std::uint32_t first, second;
    const char* ending;
  };
  const Case cases[] = {{1000, 1010, "OK (10)c"},
                        {1000, 1011, "OK (11)c"},
                        {1000, 1000, "*Oшибки."},
                        {1000, 1009, "*Oшибки."},
                        {1000, 1012, "*Oшибки."},
                        {0xFFFFFFFA, 4, "OK (10)c"},
                        {4, 0xFFFFFFFA, "*Oшибки."}};
  station.flags.soundOption.store(1);
  for (const Case& c : cases) {
    ui.journal.Clear();
    sleeps.clear();
    rtcReadings = {c.first, c.second};
    EXPECT_EQ(Run(&RtcTest), std::string(c.ending).rfind("OK", 0) == 0 ? Outcome::Success : Outcome::Failed);
    EXPECT_EQ(ui.Lines(), (std::vector<std::string>{"", std::string(" Тестирование RTC: ") + c.ending})) << c.first;
    EXPECT_EQ(Slept(), milliseconds(10000));
  }
  EXPECT_EQ(sound.Tones().size(), 6u * std::size(cases));
  const auto countdown = Rewrites(" Тестирование RTC: ");
  EXPECT_EQ(countdown.front(), " Тестирование RTC: 10c");
  EXPECT_EQ(countdown[9], " Тестирование RTC: 1c");
}

TEST_F(BoardTestsTest, RtcEscDuringTheCountdownIsSeenAtTheNextFigure) {
  rtcReadings = {1000, 1010};
  EscWhenSleepingOn([](const std::string& last) { return last == " Тестирование RTC: 4c"; });
  EXPECT_EQ(Run(&RtcTest), Outcome::Aborted);
  EXPECT_EQ(ui.Lines(), (std::vector<std::string>{"", " Тестирование RTC: 3c", " Операция прервана."}));
  EXPECT_EQ(port->written, (Bytes{'f'}));  // no second reading
  EXPECT_EQ(station.flags.abort.load(), 0);

  // A board silent at the first reading: ESC ends the wait.
  ui.journal.Clear();
  rtcReadings.clear();
  port->onRead = [this](int number) {
    if (number % 30 == 0) station.flags.RequestAbort();
  };
  EXPECT_EQ(Run(&RtcTest), Outcome::Aborted);
  EXPECT_EQ(ui.Lines(), (std::vector<std::string>{"", " Тестирование RTC: ", " Операция прервана."}));
}

// ---- Service COM ----

TEST_F(BoardTestsTest, ServiceComV7LoopsFiveHundredBytesAndChecksDtrToDcd) {
  EXPECT_EQ(Run(&ServiceComTest), Outcome::Success);
  EXPECT_EQ(ui.Lines(), (std::vector<std::string>{"", text::kServiceComHeading, text::kServiceLoopOk,
                                                  " DTR->DCD: OK", text::kTestPassed}));
  ASSERT_EQ(port->written.size(), 5u + 500u);
  EXPECT_EQ(Bytes(port->written.begin(), port->written.begin() + 5), (Bytes{'C', 0xF4, 0x01, 0x00, 0x00}));
  for (std::size_t i = 0; i < 500; ++i) ASSERT_EQ(port->written[5 + i], i % 256) << i;
  // The figure is written only when it changes: 100 times, 0 .. 99.
  const auto figures = Rewrites(" TxD->RxD: ");
  ASSERT_EQ(figures.size(), 101u);
  EXPECT_EQ(figures[0], " TxD->RxD: 0%");
  EXPECT_EQ(figures[99], " TxD->RxD: 99%");
  EXPECT_EQ(figures[100], text::kServiceLoopOk);
}

TEST_F(BoardTestsTest, ServiceComMismatchStopsTheLoopAtOnce) {
  echo = [](std::uint32_t i, std::uint8_t b) { return i == 7 ? static_cast<std::uint8_t>(b + 1) : b; };
  station.flags.serviceComVariant.store(0);
  EXPECT_EQ(Run(&ServiceComTest), Outcome::Failed);
  EXPECT_EQ(ui.Lines(), (std::vector<std::string>{"", text::kServiceComHeading, " TxD->RxD: 1% *Ошибка",
                                                  text::kAborted}));
  EXPECT_EQ(port->written.size(), 5u + 8u);
  EXPECT_EQ(port->written[0], 'c');
}

TEST_F(BoardTestsTest, ServiceComV5ReportsBothLineChecks) {
  station.flags.serviceComVariant.store(0);
  lineReport = {0x12, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0};
  EXPECT_EQ(Run(&ServiceComTest), Outcome::Failed);
  EXPECT_EQ(ui.LinesFrom(3), (std::vector<std::string>{" RTS->CTS,DCD: *Ошибка.", " DTR->DSR,RI: NC", text::kAborted}));

  // ESC while the board has not answered a loop byte leaves the figure as it was.
  ui.journal.Clear();
  echo = [this](std::uint32_t i, std::uint8_t b) {
    if (i == 12) station.flags.RequestAbort();
    return b;
  };
  EXPECT_EQ(Run(&ServiceComTest), Outcome::Aborted);
  EXPECT_EQ(ui.Lines(), (std::vector<std::string>{"", text::kServiceComHeading, " TxD->RxD: 2%", text::kAborted}));
  EXPECT_EQ(station.flags.abort.load(), 0);
}

TEST(ServiceLines, DecodingOfBothVariants) {
  struct Case {
    bool v7;
    std::uint8_t status;
    std::vector<std::string> lines;
    bool ok;
  };
  const Case cases[] = {
      {false, 0x00, {" RTS->CTS,DCD: OK", " DTR->DSR,RI: OK"}, true},
      {false, 0x11, {" RTS->CTS,DCD: NC", " DTR->DSR,RI: NC"}, false},
      {false, 0x12, {" RTS->CTS,DCD: *Ошибка.", " DTR->DSR,RI: NC"}, false},
      {false, 0x20, {" RTS->CTS,DCD: OK", " DTR->DSR,RI: *Ошибка."}, false},
      {true, 0x00, {" DTR->DCD: OK"}, true},
      {true, 0x01, {" DTR->DCD: NC", " Old=0012 True=abcd Read=12345"}, false},
      {true, 0x10, {" DTR->DCD: *Ошибка.", " Old=0012 True=abcd Read=12345"}, false},
  };
  for (const Case& c : cases) {
    bool ok = !c.ok;
    EXPECT_EQ(DescribeServiceLines(c.v7, {c.status, 0x12, 0xABCD, 0x12345}, ok), c.lines) << int(c.status);
    EXPECT_EQ(ok, c.ok);
  }
}

}  // namespace
}  // namespace rz::testing
