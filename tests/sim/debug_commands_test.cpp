#include <gtest/gtest.h>

#include "board_harness.h"

namespace rzsim::testing {
namespace {

struct DebugBoard : BoardHarness {
  explicit DebugBoard(const Faults& faults = {}) : BoardHarness(faults) { Download(16); }
  Bytes Access(std::uint32_t address, std::uint32_t data, std::uint8_t code) {
    Bytes request{'d'};
    PutLe32(request, address);
    PutLe32(request, data);
    request.push_back(code);
    Send(request, 115200);
    return Take();
  }
  Bytes Channel(std::uint8_t channel, std::uint8_t value, std::uint8_t code) {
    Send({'g', channel, value, code}, 115200);
    return Take();
  }
  Bytes Le(std::uint32_t value) {
    Bytes bytes;
    PutLe32(bytes, value);
    return bytes;
  }
};

TEST(DebugAccess, MemoriesAtTheirWidthsAndTheRegisterWindow) {
  DebugBoard b;
  EXPECT_EQ(b.Access(0x100, 0x12345678, 0x00), (Bytes{'Q'}));
  EXPECT_EQ(b.Access(0x102, 0xAAAABBBB, 0x00), (Bytes{'Q'}));  // 16 bits at A1,A0 = 1,0
  EXPECT_EQ(b.Access(0x101, 0xCCCCCCDD, 0x00), (Bytes{'Q'}));  // 8 bits at A0 = 1
  EXPECT_EQ(b.Access(0x100, 0, 0x01), b.Le(0xBBBBDD78));
  EXPECT_EQ(b.Access(0x103, 0, 0x01), b.Le(0xBB));
  EXPECT_EQ(b.Access(0x70000000, 0, 0x01), b.Le(0xFFFFFFFF));  // erased Flash
  EXPECT_EQ(b.Access(0x70000000 + 0x7FFFFC, 0x01020304, 0x00), (Bytes{'Q'}));
  EXPECT_EQ(b.Access(0x70000000 + 0x7FFFFC, 0, 0x01), b.Le(0x01020304));
  EXPECT_EQ(b.Access(0x50000304, 0x1234ABCD, 0x00), (Bytes{'Q'}));
  EXPECT_EQ(b.Access(0x50000304, 0, 0x01), b.Le(0xABCD));
  EXPECT_EQ(b.Access(0x40000000, 0, 0x01), b.Le(0xFFFFFFFF));  // nothing there
}

TEST(DebugAccess, CyclicCodesTakeEveryByteUntilStop) {
  DebugBoard b;
  for (std::uint8_t code : {0x80, 0x81, 0x83, 0x31, 0x41}) {
    EXPECT_EQ(b.Access(0x200, 0x55, code), Bytes{});
    b.Send({'s', 'j', 'd'}, 115200);  // swallowed by the running cycle
    EXPECT_EQ(b.Take(), Bytes{});
    b.Send({'q'}, 115200);
    // The cyclic write (the first) left its value; the others changed nothing.
    EXPECT_EQ(b.Access(0x200, 0, 0x01), b.Le(0x55)) << int(code);
  }
  for (std::uint8_t toggle : {'R', 'D'}) {
    b.Send({toggle, 's', 'q'}, 115200);
    EXPECT_EQ(b.Take(), Bytes{});
  }
}

TEST(DebugAccess, TheServicePortStreamIsCountedNotObeyed) {
  DebugBoard b;
  b.Send(Bytes(5000, 0x55), 115200);
  EXPECT_EQ(b.Take(), Bytes{});
  EXPECT_EQ(b.board.program().state().strayBytes, 5000u);
  EXPECT_EQ(b.Access(0x0, 0, 0x01), b.Le(0));
}

TEST(DebugChannel, EveryOperation) {
  DebugBoard b;
  EXPECT_EQ(b.Channel(3, 0, 0x08), (Bytes{0x01, 0x00, 0x00, 0x01, 0x03, 0x03, 0x60, 0x00, 0x00}));
  EXPECT_EQ(b.Channel(3, 0, 0x07), (Bytes{0x00}));
  EXPECT_EQ(b.Channel(30, 0, 0x10), (Bytes{30}));
  // txd at 9600 (code 5) sets the divisor; dbc leaves its byte in SPR; both run until 'q'.
  EXPECT_EQ(b.Channel(3, 5, 0x05), Bytes{});
  b.Send({'q'}, 115200);
  EXPECT_EQ(b.Channel(3, 0xA5, 0x09), Bytes{});
  b.Send({'q'}, 115200);
  EXPECT_EQ(b.Channel(3, 0, 0x08), (Bytes{12, 0x00, 0x00, 0x01, 0x03, 0x03, 0x60, 0x00, 0xA5}));
  EXPECT_EQ(b.Channel(3, 0, 0x12), Bytes{});  // software reset, no reply
  EXPECT_EQ(b.Channel(3, 0, 0x08), (Bytes{0x01, 0x00, 0x00, 0x01, 0x03, 0x03, 0x60, 0x00, 0x00}));
  for (std::uint8_t code : {0x04, 0x06, 0x0F, 0x11}) {
    EXPECT_EQ(b.Channel(32, 0x80, code), Bytes{});
    b.Send({'g', 1, 0, 0x08, 'q'}, 115200);
    EXPECT_EQ(b.Take(), Bytes{}) << int(code);
  }
}

TEST(DebugChannel, BadDataBusAndSilence) {
  Faults bad;
  bad.badDataBus = true;
  DebugBoard b(bad);
  EXPECT_NE(b.Channel(0, 0, 0x07), (Bytes{0x00}));
  Faults silent;
  silent.silent = true;
  BoardHarness quiet(silent);
  quiet.Download(16);
  quiet.Send({'g', 0, 0, 0x08}, 115200);
  EXPECT_EQ(quiet.Take(), Bytes{});
}

}  // namespace
}  // namespace rzsim::testing
