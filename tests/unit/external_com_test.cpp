// The external channel test: its parameters and table texts, and the worker
// against a scripted port (the bytes on the wire, the pause, the endings).

#include <gtest/gtest.h>

#include "app/texts.h"
#include "boardtests/external_com_table.h"
#include "boardtests/external_com_test.h"
#include "boardtests/external_com_texts.h"
#include "operations/control_handlers.h"
#include "operations/operation_table.h"
#include "station_fixture.h"

namespace rz::testing {
namespace {

using std::chrono::milliseconds;
using Bytes = std::vector<std::uint8_t>;

TEST(ExtComDialog, OkStoresInOrderWithTheBlockCapOfTheNewFifoMode) {
  struct Case {
    ExtComDialogChoice choice;
    std::uint8_t speed;
    std::int32_t fifo, irq, block, code, channels;
  };
  const Case cases[] = {
      {{0, 0, "5000", 4, 0, 0}, 1, 0, 0, 1024, 0, 16},
      {{7, 1, "5000", 4, 1, 1}, 8, 1, 1, 1024, 1, 32},
      {{2, 2, "1024", 4, 0, 0}, 3, 2, 0, 1024, 0, 16},
      {{2, 3, "5000", 4, 0, 0}, 3, 3, 1, 2048, 0, 16},
      {{2, 3, "2047", 4, 0, 0}, 3, 3, 1, 2047, 0, 16},
      // Typed text leaves the editable boxes without an entry: -1 and 32.
      {{2, 0, "", 4, -1, -1}, 3, 0, 0, 0, -1, 32},
      // Only the edit's first four characters count.
      {{2, 0, "12345", 4, 0, 0}, 3, 0, 0, 1024, 0, 16},
      {{2, 3, "20489", 4, 0, 0}, 3, 3, 1, 2048, 0, 16},
      {{2, 0, "12x4", 4, 0, 0}, 3, 0, 0, 12, 0, 16},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.choice.blockText + " fifo " + std::to_string(c.choice.fifoIndex));
    const ExtComParams stored = ApplyDialogOk(ExtComParams{}, c.choice);
    EXPECT_EQ(stored.speedCode, c.speed);
    EXPECT_EQ(stored.fifoMode, c.fifo);
    EXPECT_EQ(stored.irqFlag, c.irq);
    EXPECT_EQ(stored.blockSize, c.block);
    EXPECT_EQ(stored.codePattern, c.code);
    EXPECT_EQ(stored.channelCount, c.channels);
  }
  // A dialog opened on the parameters and closed with OK changes nothing.
  ExtComParams odd;
  odd.codePattern = -1;
  odd.channelCount = 32;
  odd.fifoMode = 3;
  odd.irqFlag = 1;
  odd.blockSize = 2048;
  EXPECT_EQ(ApplyDialogOk(odd, DialogChoiceFor(odd)), odd);
  EXPECT_EQ(ApplyDialogOk(ExtComParams{}, DialogChoiceFor(ExtComParams{})), ExtComParams{});
}

TEST(ExtComCommandLine, ParametersParseAndStoreAsTheDialogWould) {
  ExtComArgs args;
  std::string error;
  ASSERT_TRUE(ParseExtComArgs("cycles=3,speed=9600,fifo=3,block=5000,line=1,code=1,channels=32", args, error));
  EXPECT_EQ(args.cycles, 3u);
  ExtComParams p = ApplyExtComArgs(ExtComParams{}, args);
  EXPECT_EQ(p.speedCode, 5);
  EXPECT_EQ(p.fifoMode, 3);
  EXPECT_EQ(p.irqFlag, 1);
  EXPECT_EQ(p.blockSize, 2048);
  EXPECT_EQ(p.lineMode, 1);
  EXPECT_EQ(p.codePattern, 1);
  EXPECT_EQ(p.channelCount, 32);
  // Back to a serial FIFO mode: the block size kept is capped again.
  ASSERT_TRUE(ParseExtComArgs("fifo=1", args, error));
  p = ApplyExtComArgs(p, args);
  EXPECT_EQ(p.blockSize, 1024);
  EXPECT_EQ(p.irqFlag, 1);
  EXPECT_EQ(p.speedCode, 5);

  for (const char* bad : {"", "cycles=0", "cycles=x", "cycles=4294967296", "speed=1000", "speed=", "fifo=4",
                          "fifo=-1", "block=10000", "line=5", "code=2", "channels=8", "channels=016", "colour=red",
                          "fifo", "=3", "fifo=1,fifo=2", "fifo=1,", "block=+5"}) {
    SCOPED_TRACE(bad);
    ExtComArgs untouched;
    error.clear();
    EXPECT_FALSE(ParseExtComArgs(bad, untouched, error));
    EXPECT_FALSE(error.empty());
  }
  // Through the operation word, the parameter is named in the message.
  const OperationRow* row = nullptr;
  OperationArgs parsed;
  EXPECT_TRUE(ParseOperationWord("ext-com", row, parsed, error));
  EXPECT_FALSE(parsed.extCom.cycles.has_value());
  EXPECT_FALSE(ParseOperationWord("ext-com:block=99999", row, parsed, error));
  EXPECT_NE(error.find("block"), std::string::npos);
  EXPECT_FALSE(ParseOperationWord("ext-com=fifo=1", row, parsed, error));
}

TEST(ExtComTable, HeaderRows) {
  ExtComParams p;
  EXPECT_EQ(ExtComHeaderRow(p, kCpuEntry74, 0x00), " Внут.петля 38400,8n1 ns:252 Байты:256 Код:0123");
  p.lineMode = 0;
  p.speedCode = 1;
  p.codePattern = 1;
  p.blockSize = 2048;
  EXPECT_EQ(ExtComHeaderRow(p, kCpuEntry90, 0x1C), " RS485-Mon 115200,8n1 ns:46 Байты:2048 Код:00FF");
  p.codePattern = -1;
  p.speedCode = 0;
  EXPECT_EQ(ExtComHeaderRow(p, kCpuEntry74, 0x0C), " RS485-Mon ???,8n1 ns:168 Байты:2048");
  EXPECT_EQ(ExtComFifoRow(0, 1), " Канал  Byte Mode  Ошибки  Циклы:1");
  EXPECT_EQ(ExtComFifoRow(3, 65535), " Канал   pFIFO+IRQ   Ошибки  Циклы:65535");
  EXPECT_EQ(ExtComFifoRow(-1, 7), " Канал  ???  Ошибки  Циклы:7");
}

TEST(ExtComTable, ChannelRowsDecodeTheStatusByte) {
  struct Case {
    std::int32_t fifo;
    std::uint8_t status;
    const char* result;
  };
  const Case cases[] = {
      {0, 0x14, "05 "}, {0, 0x01, "ER "}, {0, 0x02, "NC "}, {1, 0x03, "NC "}, {1, 0xFC, "63 "},
      {2, 0x48, "1b2"}, {2, 0x00, "nb0"}, {2, 0x3C, "0b7"}, {2, 0x60, "eb0"}, {2, 0x80, "b0"},
      {2, 0x01, "ER "}, {2, 0x02, "No "}, {2, 0x03, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.status));
    EXPECT_EQ(ExtComChannelRow(c.fifo, 7, c.status, 12), std::string("  07        ") + c.result + "      12");
  }
  EXPECT_EQ(ExtComAbsentRow(5), "  05        --       -");
  EXPECT_EQ(ExtComEmptyRow(31), "  31    ");
  EXPECT_EQ(ExtComParallelRow(3, {0x100, 0x12345, 0, 0xab}, 4), "  03     0100/12345    4/0/ab");
}

// A station on a scripted port that answers the channel commands like a board.
class ExtComScripted : public ScriptedStation {
 protected:
  void SetUp() override {
    StartWithProgram(100);
    for (int i = 0; i < 32; ++i) map[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    port->onWrite = [this](const Bytes& written) {
      for (; seen < written.size(); ++seen) Take(written[seen]);
    };
    station.sleeper = [this](milliseconds d) {
      sleeps.push_back(d);
      if (onSleep) onSleep(d);
    };
  }

  static std::size_t ArgumentBytes(std::uint8_t opcode) {
    switch (opcode) {
      case 'k': return 7;
      case 'h':
      case 'u':
      case 'p': return 1;
      default: return 0;
    }
  }

  void Take(std::uint8_t byte) {
    current.push_back(byte);
    if (current.size() < 1 + ArgumentBytes(current[0])) return;
    commands.push_back(current);
    const Bytes command = std::move(current);
    current.clear();
    Bytes reply;
    switch (command[0]) {
      case 'n':
        reply.push_back(timing);
        reply.insert(reply.end(), map.begin(), map.end());
        break;
      case 'k': reply.push_back(paramsReply); break;
      default: reply.push_back(status ? status(command[1]) : 0); break;
    }
    if (onCommand && !onCommand(command)) return;  // the board stays silent
    port->Feed(reply);
  }

  std::vector<Bytes> CommandsOf(std::uint8_t opcode) const {
    std::vector<Bytes> found;
    for (const Bytes& c : commands) {
      if (c[0] == opcode) found.push_back(c);
    }
    return found;
  }
  int Count(std::uint8_t opcode) const { return static_cast<int>(CommandsOf(opcode).size()); }

  std::array<std::uint8_t, 32> map{};
  std::uint8_t timing = 0;
  std::uint8_t paramsReply = 'Q';
  std::function<std::uint8_t(std::uint8_t)> status;
  // Sees every complete command before its reply; false keeps the board silent.
  std::function<bool(const Bytes&)> onCommand;
  std::function<void(milliseconds)> onSleep;
  std::vector<Bytes> commands;
  Bytes current;
  std::size_t seen = 0;
};

TEST_F(ExtComScripted, FirstRunWithTheDefaultsDrawsTheTableUntilEsc) {
  map[5] = 0xFF;
  map[6] = 0x40;  // above 31: absent too
  status = [](std::uint8_t ch) -> std::uint8_t { return ch == 1 ? 0x14 : ch == 2 ? 0x01 : ch == 3 ? 0x02 : 0x00; };
  // ESC while the last channel of cycle 2 is tested.
  onCommand = [this](const Bytes& c) {
    if (c[0] == 'h' && c[1] == 15 && Count('n') == 3) station.flags.RequestAbort();
    return true;
  };
  ui.AddJournalLine(0, " earlier line");
  const int purges = port->purgesIn;
  EXPECT_EQ(Run([](Station& s) { return ExternalComTest(s, s.extCom); }), Outcome::Aborted);

  ASSERT_EQ(CommandsOf('k').size(), 1u);
  EXPECT_EQ(CommandsOf('k')[0], (Bytes{'k', 0x00, 0x00, 0x04, 0x03, 0x00, 0x01, 0x10}));
  EXPECT_EQ(Count('n'), 3);  // the parameter set's and one per cycle
  EXPECT_EQ(Count('h'), 2 * 14);  // positions 5 and 6 are never asked
  for (const Bytes& c : CommandsOf('h')) EXPECT_TRUE(c[1] != 5 && c[1] != 6);
  EXPECT_EQ(port->purgesIn, purges + 1);  // before the parameter set only

  std::vector<std::string> expected = {" earlier line", "", text::kExtComTitle,
                                       " Внут.петля 38400,8n1 ns:252 Байты:256 Код:0123",
                                       " Канал  Byte Mode  Ошибки  Циклы:2"};
  for (int i = 0; i < 16; ++i) {
    char row[64];
    const char* result = i == 1 ? "05 " : i == 2 ? "ER " : i == 3 ? "NC " : "00 ";
    std::snprintf(row, sizeof row, "  %02d        %s      %d", i, result, i == 2 ? 2 : 0);
    expected.push_back(i == 5 || i == 6 ? ExtComAbsentRow(i) : row);
  }
  EXPECT_EQ(ui.Lines(), expected);
  EXPECT_EQ(ui.status, text::kStatusIdle);
  EXPECT_TRUE(ui.controlsEnabled);
  EXPECT_EQ(station.flags.extComPhase.load(), 0);
  EXPECT_EQ(station.flags.abort.load(), 0);

  // 15 ms after each new row, then per cycle 50 ms per present row and 40 ms
  // per absent one; ESC ended the last channel's exchange of cycle 2, so its
  // row was not redrawn.
  std::vector<milliseconds> expectedSleeps(16, milliseconds(15));
  for (int cycle = 0; cycle < 2; ++cycle) {
    for (int i = 0; i < (cycle == 0 ? 16 : 15); ++i) {
      expectedSleeps.push_back(milliseconds(i == 5 || i == 6 ? 40 : 50));
    }
  }
  EXPECT_EQ(sleeps, expectedSleeps);
}

TEST_F(ExtComScripted, PausesChangeTheRowsBetween16And32AndResendTheParameters) {
  int pauses = 0;
  // SPACE during channel 3 of the first cycle after each parameter set.
  onCommand = [&](const Bytes& c) {
    if (c[0] == 'h' && c[1] == 3 && Count('k') == pauses + 1 && pauses < 2) {
      station.flags.extComPhase.store(1);
      station.flags.paramsRequest.store(1);
    }
    if (c[0] == 'u' && c[1] == 10) station.flags.RequestAbort();
    return true;
  };
  // The dialog: while the worker sleeps in its pause, store new parameters
  // and clear the request.
  const int base = ui.JournalLineCount();
  const int purges = port->purgesIn;
  onSleep = [&](milliseconds d) {
    if (d != milliseconds(100)) return;
    EXPECT_EQ(station.flags.extComPhase.load(), 2);
    ++pauses;
    station.extCom.params.channelCount = pauses == 1 ? 32 : 16;
    if (pauses == 2) station.extCom.params.fifoMode = 1;
    station.flags.paramsRequest.store(0);
  };
  EXPECT_EQ(Run([](Station& s) { return ExternalComTest(s, s.extCom); }), Outcome::Aborted);
  EXPECT_EQ(pauses, 2);
  const auto k = CommandsOf('k');
  ASSERT_EQ(k.size(), 3u);
  EXPECT_EQ(k[1][7], 32);
  EXPECT_EQ(k[2][7], 16);
  EXPECT_EQ(k[2][2], 0);  // the IRQ flag is the dialog's business, not the worker's
  EXPECT_EQ(Count('u'), 11);  // after the second pause: serial FIFO mode
  EXPECT_EQ(ui.JournalLineCount(), base + 20);
  EXPECT_EQ(ui.JournalLineText(base + 3), " Канал  sFIFO+IRQ  Ошибки  Циклы:1");
  // 16 inserted rows, then deleted again from the bottom with 15 ms each.
  std::vector<milliseconds> deletions;
  for (std::size_t i = 0; i + 1 < sleeps.size(); ++i) {
    if (sleeps[i] == milliseconds(100)) deletions.assign(sleeps.begin() + static_cast<long>(i) + 1, sleeps.end());
  }
  ASSERT_GE(deletions.size(), 16u);
  EXPECT_EQ(std::vector<milliseconds>(deletions.begin(), deletions.begin() + 16),
            std::vector<milliseconds>(16, milliseconds(15)));
  EXPECT_EQ(port->purgesIn, purges + 3);  // before each parameter set
}

TEST_F(ExtComScripted, SilentEndings) {
  struct Case {
    const char* what;
    std::function<void()> arrange;
    Outcome outcome;
  };
  const Case cases[] = {
      {"channel answers 0xFF", [this] { status = [](std::uint8_t ch) -> std::uint8_t { return ch == 4 ? 0xFF : 0; }; },
       Outcome::Failed},
      {"parameters refused", [this] { paramsReply = 'q'; }, Outcome::Failed},
      {"SPACE while 'n' waits",
       [this] {
         onCommand = [this](const Bytes& c) {
           if (c[0] != 'n') return true;
           station.flags.paramsRequest.store(1);
           return false;
         };
       },
       Outcome::Aborted},
      {"SPACE while 'k' waits",
       [this] {
         onCommand = [this](const Bytes& c) {
           if (c[0] != 'k') return true;
           station.flags.paramsRequest.store(1);
           return false;
         };
       },
       Outcome::Aborted},
      {"silent at 'h', ESC",
       [this] {
         onCommand = [this](const Bytes& c) {
           if (c[0] != 'h') return true;
           station.flags.RequestAbort();
           return false;
         };
       },
       Outcome::Aborted},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    station.flags.paramsRequest.store(0);
    status = nullptr;
    paramsReply = 'Q';
    onCommand = nullptr;
    c.arrange();
    const int base = ui.JournalLineCount();
    EXPECT_EQ(Run([](Station& s) { return ExternalComTest(s, s.extCom); }), c.outcome);
    // Nothing is written after the table; the frame closes as always.
    EXPECT_EQ(ui.JournalLineCount(), base + 20);
    EXPECT_EQ(ui.JournalLineText(base + 1), text::kExtComTitle);
    EXPECT_EQ(ui.status, text::kStatusIdle);
    EXPECT_EQ(station.flags.extComPhase.load(), 0);
    EXPECT_EQ(station.flags.abort.load(), 0);
  }
}

TEST_F(ExtComScripted, CommandLineParametersPersistAndTheCycleLimitEndsTheRun) {
  const OperationRow* row = FindOperationRow(Button::ExternalCom);
  ASSERT_NE(row, nullptr);
  OperationArgs args;
  std::string error;
  ASSERT_TRUE(ParseExtComArgs("cycles=2,fifo=2,speed=115200,channels=32,code=1", args.extCom, error));
  ASSERT_EQ(StartOperation(station, *row, &args), StartResult::Started);
  EXPECT_EQ(station.runner.Wait(), Outcome::Success);
  EXPECT_EQ(Count('n'), 3);
  EXPECT_EQ(Count('p'), 64);

  // Another run without parameters (from the window) keeps them, and runs
  // until ESC: no cycle limit is left over.
  onCommand = [this](const Bytes& c) {
    if (c[0] == 'p' && Count('p') == 64 + 32 * 3) station.flags.RequestAbort();
    return true;
  };
  status = [](std::uint8_t ch) -> std::uint8_t { return ch == 0 ? 0x01 : 0x48; };
  const int base = ui.JournalLineCount();
  ASSERT_EQ(PressButton(station, Button::ExternalCom), StartResult::Started);
  EXPECT_EQ(station.runner.Wait(), Outcome::Aborted);
  const auto k = CommandsOf('k');
  ASSERT_EQ(k.size(), 2u);
  EXPECT_EQ(k[1], (Bytes{'k', 0x01, 0x00, 0x04, 0x01, 0x00, 0x01, 0x20}));
  EXPECT_EQ(ui.JournalLineText(base + 4 + 0), "  00        ER       3");
  EXPECT_EQ(ui.JournalLineText(base + 4 + 31), "  31        1b2      0");

  // With a cycle limit, counted channel errors make the run a failure.
  args.extCom = {};
  ASSERT_TRUE(ParseExtComArgs("cycles=1", args.extCom, error));
  onCommand = nullptr;
  ASSERT_EQ(StartOperation(station, *row, &args), StartResult::Started);
  EXPECT_EQ(station.runner.Wait(), Outcome::Failed);
}

}  // namespace
}  // namespace rz::testing
