#include <gtest/gtest.h>

#include "board_harness.h"

namespace rzsim::testing {
namespace {

// A board that has finished its download and runs the test program.
struct Running : BoardHarness {
  explicit Running(const Faults& faults = {}, const BoardModel& model = {})
      : BoardHarness(faults, model) {
    Download(16);
  }
};

TEST(LittleEndian, LeastSignificantByteFirst) {
  Bytes out;
  PutLe32(out, 500);
  PutLe16(out, 0xBEEF);
  PutLe32(out, 0x80000001);
  EXPECT_EQ(out, (Bytes{0xF4, 0x01, 0x00, 0x00, 0xEF, 0xBE, 0x01, 0x00, 0x00, 0x80}));
}

TEST(ConfigCommands, ReadCpuIdSendsFiveWords) {
  BoardModel m;
  m.cpu.unique = 0x01020304;
  m.cpu.random = {0x11121314, 0x21222324, 0x31323334, 0x41424344};
  Running h({}, m);
  h.Send({'j'}, 115200);
  EXPECT_EQ(h.Take(), (Bytes{0x04, 0x03, 0x02, 0x01, 0x14, 0x13, 0x12, 0x11, 0x24, 0x23,
                             0x22, 0x21, 0x34, 0x33, 0x32, 0x31, 0x44, 0x43, 0x42, 0x41}));
}

TEST(ConfigCommands, ReadSdramConfigSendsTheWord) {
  BoardModel m;
  m.sdramConfig = 0x00000143;
  Running h({}, m);
  h.Send({'s'}, 115200);
  EXPECT_EQ(h.Take(), (Bytes{0x43, 0x01, 0x00, 0x00}));
}

TEST(ConfigCommands, ReadFlashIdLayout) {
  BoardModel m;
  m.flash = {16, 0x000000EC, 0x000022B7, 0x12345678};
  m.securityId = {0xA0A1A2A3, 0xB0B1B2B3, 0xC0C1C2C3, 0xD0D1D2D3};
  Running h({}, m);
  h.Send({'?'}, 115200);
  EXPECT_EQ(h.Take(), (Bytes{16,   0xEC, 0,    0,    0,    0xB7, 0x22, 0,    0,    0x78,
                             0x56, 0x34, 0x12, 0xA3, 0xA2, 0xA1, 0xA0, 0xB3, 0xB2, 0xB1,
                             0xB0, 0xC3, 0xC2, 0xC1, 0xC0, 0xD3, 0xD2, 0xD1, 0xD0}));
}

TEST(ConfigCommands, FlashChipPresets) {
  struct Expected {
    const char* chip;
    std::uint16_t manufacturer;
    std::uint16_t device;
    bool cfiQuery;
  };
  const Expected table[] = {
      {"at49bv322a", 0x001F, 0x00C8, true}, {"at49bv321", 0x001F, 0x00C8, false},
      {"at49bv322at", 0x001F, 0x00C9, true}, {"at49bv321t", 0x001F, 0x00C9, false},
      {"k8d3216ub", 0x00EC, 0x223F, true},   {"k8d3216ut", 0x00EC, 0x22B7, true},
      {"28f320b3t", 0x0089, 0x8896, true},   {"28f320b3b", 0x0089, 0x8897, true},
  };
  for (const Expected& e : table) {
    SCOPED_TRACE(e.chip);
    BoardModel m;
    m.flash = FindFlashChip(e.chip).value();
    Running h({}, m);
    h.Send({'?'}, 115200);
    const Bytes r = h.Take();
    ASSERT_EQ(r.size(), 29u);
    EXPECT_EQ(r[0], 32);
    EXPECT_EQ(r[1] | r[2] << 8, e.manufacturer);
    EXPECT_EQ(r[5] | r[6] << 8, e.device);
    const bool cfi = Bytes(r.begin() + 9, r.begin() + 13) == Bytes{0x51, 0, 0x51, 0};
    EXPECT_EQ(cfi, e.cfiQuery);
  }
  EXPECT_FALSE(FindFlashChip("AT49BV322A").has_value());
}

TEST(ConfigCommands, ReadEthernetConfigAndItsFaults) {
  BoardModel m;
  m.ethernet = {1, 0, 0x0300, 0xFFFF, 1};
  Running ok({}, m);
  ok.Send({'i'}, 115200);
  EXPECT_EQ(ok.Take(), (Bytes{1, 0, 0x00, 0x03, 0xFF, 0xFF, 1, 'Q'}));

  Faults fail;
  fail.ethFail = true;
  Running refused(fail, m);
  refused.Send({'i'}, 115200);
  EXPECT_EQ(refused.Take(), B("q"));

  Faults badClose;
  badClose.ethClose = 0x00;
  Running bad(badClose, m);
  bad.Send({'i'}, 115200);
  EXPECT_EQ(bad.Take(), (Bytes{1, 0, 0x00, 0x03, 0xFF, 0xFF, 1, 0x00}));
}

TEST(ClockSwitch, ConfirmedSwitchMovesTheLineTo57600) {
  Running h;
  h.Send({'M'}, 115200);
  EXPECT_EQ(h.Take(), B("9"));
  EXPECT_EQ(h.board.LineBaud(), 115200u) << "no switch before the echo";
  h.Send({'9'}, 115200);
  EXPECT_EQ(h.board.LineBaud(), 57600u);
  h.Send({'s'}, 115200);
  EXPECT_TRUE(h.Take().empty()) << "the board now listens at 57600";
  h.Send({'s'}, 57600);
  EXPECT_EQ(h.Take().size(), 4u);

  h.board.Reset();  // a reset brings back the boot ROM and 74 MHz
  EXPECT_EQ(h.Download(0), B("<>F"));
  EXPECT_EQ(h.board.LineBaud(), 115200u);
}

TEST(ClockSwitch, AnswerQOrAWrongEchoKeeps74MHz) {
  Faults stay;
  stay.clockAnswer = 'Q';
  Running q(stay);
  q.Send({'M'}, 115200);
  EXPECT_EQ(q.Take(), B("Q"));
  q.Send({'Q'}, 115200);
  EXPECT_EQ(q.board.LineBaud(), 115200u);

  Running wrong;
  wrong.Send({'M'}, 115200);
  wrong.Take();
  wrong.Send({'M'}, 115200);  // not the byte the board sent
  EXPECT_EQ(wrong.board.LineBaud(), 115200u);
}

TEST(ClockSwitch, EchoIsNotTakenAsACommand) {
  Faults f;
  f.clockAnswer = 'j';  // an answer that is also an opcode
  Running h(f);
  h.Send({'M'}, 115200);
  EXPECT_EQ(h.Take(), B("j"));
  h.Send({'j'}, 115200);
  EXPECT_TRUE(h.Take().empty());
  EXPECT_EQ(h.board.LineBaud(), 57600u);
}

TEST(Dispatcher, UnknownOpcodesAreIgnoredWithoutLosingStep) {
  Running h;
  h.Send({0x00, 'Z', 0xFF, 'Q', 'q', 's'}, 115200);
  EXPECT_EQ(h.Take().size(), 4u);
}

TEST(Dispatcher, FixedCommandCollectsItsArguments) {
  Dispatcher d;
  Bytes seen;
  d.Register('x', FixedCommand(3, [&](std::span<const std::uint8_t> args, CommandContext& ctx) {
               seen.assign(args.begin(), args.end());
               ctx.out.push_back('Q');
             }));
  BoardModel model;
  Faults faults;
  BoardState state;
  BoardMemory memory;
  Bytes out;
  CommandContext ctx{model, faults, state, memory, out};
  for (std::uint8_t b : {'x', 'x', 'y'}) d.Receive(b, ctx);
  EXPECT_TRUE(out.empty());
  EXPECT_TRUE(d.Busy());
  d.Receive('z', ctx);
  EXPECT_EQ(seen, B("xyz"));
  EXPECT_EQ(out, B("Q"));
  EXPECT_FALSE(d.Busy());
}

}  // namespace
}  // namespace rzsim::testing
