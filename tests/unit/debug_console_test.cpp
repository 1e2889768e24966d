// The debug console's frame, checks and executors on a scripted port.

#include <gtest/gtest.h>

#include <algorithm>

#include "app/texts.h"
#include "operations/control_handlers.h"
#include "operations/operation_table.h"

#include "debug/debug_console.h"
#include "debug/debug_executors.h"
#include "debug/debug_fields.h"
#include "debug/debug_operation.h"
#include "debug/debug_texts.h"
#include "operations/start_steps.h"
#include "recording_debug_ui.h"
#include "station_fixture.h"

namespace rz::testing {
namespace {

using std::chrono::milliseconds;
using Bytes = std::vector<std::uint8_t>;
namespace dt = debugtext;

class DebugConsoleTest : public ScriptedStation {
 protected:
  void SetUp() override {
    StartWithProgram(2048);
    // A cyclic operation is stopped (ESC) on its fourth blink.
    station.sleeper = [this](milliseconds d) {
      sleeps.push_back(d);
      if (d == milliseconds(300) && ++halfBlinks == 4) station.flags.RequestAbort();
    };
  }
  // Every read attempt finds one more 'Q' (0x51) waiting.
  void AnswerEveryRead() {
    port->onRead = [this](int) { port->Feed({'Q'}); };
  }
  Outcome Run(int target, const std::string& op, const std::string& address, const std::string& data) {
    DebugRequest request;
    request.target = target;
    request.operation = op;
    request.address = address;
    request.data = data;
    const std::size_t before = port->written.size();
    const Outcome outcome = RunDebugRequest(station, dui, state, request);
    sent.assign(port->written.begin() + static_cast<std::ptrdiff_t>(before), port->written.end());
    return outcome;
  }

  RecordingDebugUi dui;
  Bytes reply;
  DebugConsoleState state;
  Bytes sent;
  int halfBlinks = 0;
  std::size_t streamStop = 0;
};

constexpr int kEth = 1, kSdram = 2, kFlash = 3, kService = 4, kExt = 5;

// Each ENTER gives exactly one line after the fields are checked: the error
// line (and nothing is sent), or the separator and this echo line.
struct FieldCase {
  int target;
  const char* op;
  const char* address;
  const char* data;
  const char* line;
};

const FieldCase kFieldCases[] = {
    {kSdram, "W", "0x100", "0x1", " w  0x0000100  0x00000001"},
    {kSdram, "w", "0x", "0x1", dt::kAddressError},
    {kSdram, "w", "0xg", "0x1", dt::kAddressError},
    {kSdram, "w", "0X1f", "0x5", " w  0x000001f  0x05"},
    {kSdram, "w", "0x0000102", "0x12345678", " w  0x0000102  0x5678"},
    {kSdram, "w", "0x0000103", "0x12345678", " w  0x0000103  0x78"},
    {kSdram, "wc", "0x0000100", "0x12345678", " wc  0x0000100  0x12345678"},
    {kSdram, "w", "0x100", "12", dt::kDataError},
    {kSdram, "r", "0x2000000", "", dt::kAddressError},
    {kSdram, "r", "0x1FFFFFF", "bad", " r  0x1ffffff  "},
    {kSdram, "x", "0xg", "", dt::kOperationError},
    {kSdram, "a", "junk", "junk", dt::kSdramAddressCheck},
    {kFlash, "r", "0x800000", "", dt::kAddressError},
    {kFlash, "rc", "0x7FFFFF", "", " rc  0x7fffff  "},
    {kFlash, "a", "", "", dt::kFlashAddressCheck},
    {kFlash, "txc", "0x1", "0x1", dt::kOperationError},
    {kEth, "w", "0xa", "0xff", " w  0xa  0x00ff"},
    {kEth, "rc", "0x4", "zz", " rc  0x4  "},
    {kEth, "txc", "junk", "0x1234", " txc    0x1234"},
    {kEth, "a", "0x1", "0x1", dt::kOperationError},
    {kService, "txc", "", "0x55", " txc  0x55"},
    {kService, "txc", "", "55", dt::kDataError},
    {kService, "rts", "", "", " rts  0|1"},
    {kService, "DTR", "", "", " dtr  0|1"},
    {kExt, "rds", "-1", "", dt::kAddressError},
    {kExt, "rds", "33", "", dt::kAddressError},
    {kExt, "irq", "7x", "", " irq канал:7 "},
    {kExt, "dac", "", "", " dac канал:0 "},
    {kExt, "txd", "3", "9601", dt::kDataError},
    {kExt, "txd", "3", "0x2580", dt::kDataError},
    {kExt, "txd", "3", "9600", " txd канал:3 скорость:9600"},
    {kExt, "dbc", "1", "0x100", dt::kDataError},
    {kExt, "dbc", "1", "0xff", " dbc канал:1 данные:0xff"},
    {kExt, "tx0", "32", "115200", " tx0 канал:все 115200 TX=0,DTR=1,RTS=0"},
    {kExt, "tx0", "4", "1200", " tx0 канал:4 1200 TX=0,DTR=1,RTS=0"},
    {kExt, "txd", "32", "9600", dt::kAddressError},
    {kExt, "nop", "99", "1", dt::kOperationError},
};

TEST_F(DebugConsoleTest, EachEnterGivesOneErrorLineOrTheEchoLine) {
  AnswerEveryRead();
  // The service port's stream is stopped after 100 bytes.
  port->onWrite = [this](const std::vector<std::uint8_t>& written) {
    if (written.size() == streamStop) station.flags.RequestAbort();
  };
  const std::string errors[] = {dt::kOperationError, dt::kAddressError, dt::kDataError};
  for (const FieldCase& c : kFieldCases) {
    SCOPED_TRACE(std::string(FindDebugTarget(c.target)->cliName) + " " + c.op + " " + c.address + " " + c.data);
    dui.journal.Clear();
    halfBlinks = 0;
    streamStop = port->written.size() + 100;
    const Outcome outcome = Run(c.target, c.op, c.address, c.data);
    const auto lines = dui.Lines();
    ASSERT_FALSE(lines.empty());
    if (std::find(std::begin(errors), std::end(errors), c.line) != std::end(errors)) {
      EXPECT_EQ(lines, std::vector<std::string>{c.line});
      EXPECT_EQ(outcome, Outcome::Failed);
      EXPECT_TRUE(sent.empty());
    } else {
      ASSERT_GE(lines.size(), 3u);
      EXPECT_EQ(lines[0], dt::kSeparator);
      EXPECT_EQ(lines[1].substr(0, std::string(c.line).size()), c.line);
      EXPECT_FALSE(sent.empty());
    }
    // Target mode is left every time with the focus back on the target's button.
    EXPECT_EQ(dui.restoredFocus.back(), c.target);
    EXPECT_EQ(dui.status, dt::kStatusIdle);
    EXPECT_TRUE(dui.buttonsEnabled);
    EXPECT_EQ(state.targetMode.load(), 0);
    EXPECT_EQ(station.flags.abort.load(), 0);
  }
}

TEST_F(DebugConsoleTest, ParseHexReadsAtMostEightDigits) {
  std::uint32_t value = 7;
  EXPECT_FALSE(ParseHex("", value));
  EXPECT_FALSE(ParseHex("12g", value));
  EXPECT_EQ(value, 7u);
  EXPECT_TRUE(ParseHex("fFfFfFfFzz", value));
  EXPECT_EQ(value, 0xFFFFFFFFu);
  EXPECT_EQ(ParseDecimal("-1"), -1);
  EXPECT_EQ(ParseDecimal("+12x3"), 12);
  EXPECT_EQ(ParseDecimal("99999999999999"), 2147483647);
  EXPECT_EQ(ParseDecimal("x"), 0);
}

TEST_F(DebugConsoleTest, BytesOnTheWireAndTheStopOfCyclicOperations) {
  struct WireCase {
    int target;
    const char* op;
    const char* address;
    const char* data;
    Bytes bytes;
  };
  const WireCase cases[] = {
      {kExt, "txd", "3", "9600", {0x67, 0x03, 0x05, 0x05, 'q'}},
      {kExt, "tx0", "5", "9600", {0x67, 0x05, 0x80, 0x0F, 'q'}},
      {kExt, "tx0", "32", "115200", {0x67, 0x20, 0x00, 0x0F, 'q'}},
      {kExt, "dbc", "2", "0xA5", {0x67, 0x02, 0xA5, 0x09, 'q'}},
      {kEth, "txc", "0xf", "0x1234", {'d', 0x00, 0x03, 0x00, 0x50, 0x34, 0x12, 0, 0, 0x83, 'q'}},
      {kEth, "wc", "0xf", "0x1234", {'d', 0x0F, 0x03, 0x00, 0x50, 0x34, 0x12, 0, 0, 0x80, 'q'}},
      {kSdram, "a", "", "", {'d', 0, 0, 0, 0, 0, 0, 0, 0, 0x31, 'q'}},
      {kFlash, "rc", "0x10", "0x99", {'d', 0x10, 0, 0, 0x70, 0, 0, 0, 0, 0x81, 'q'}},
      {kFlash, "a", "0x10", "", {'d', 0, 0, 0, 0x70, 0, 0, 0, 0, 0x41, 'q'}},
      {kService, "rts", "", "", {'R', 'q'}},
      {kService, "dtr", "", "", {'D', 'q'}},
  };
  for (const WireCase& c : cases) {
    SCOPED_TRACE(std::string(c.op) + " " + c.address);
    dui.journal.Clear();
    halfBlinks = 0;
    EXPECT_EQ(Run(c.target, c.op, c.address, c.data), Outcome::Success);
    EXPECT_EQ(sent, c.bytes);
    const auto lines = dui.Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2], c.target == kExt ? dt::kAbortedDot : dt::kAbortedNoDot);
  }
}

TEST_F(DebugConsoleTest, SingleOperationsShowTheirReplies) {
  port->onRead = [this](int) {
    if (port->incoming.empty() && !reply.empty()) {
      port->Feed(reply);
      reply.clear();
    }
  };
  struct ReplyCase {
    int target;
    const char* op;
    const char* address;
    Bytes reply;
    std::vector<std::string> lines;  // after the separator
  };
  const ReplyCase cases[] = {
      {kSdram, "r", "0x100", {0x78, 0x56, 0x34, 0x12}, {" r  0x0000100  =0x12345678", dt::kDoneNoDot}},
      {kFlash, "r", "0x2", {0x34, 0x12, 0, 0}, {" r  0x000002  =0x00001234", dt::kDoneNoDot}},
      {kEth, "r", "0x4", {0xFF, 0, 0, 0}, {" r  0x4  =0x00ff", dt::kDoneNoDot}},
      {kSdram, "w", "0x4", {'x', 'Q'}, {" w  0x0000004  0x00000001", dt::kDoneNoDot}},
      {kExt, "db", "1", {0}, {" db канал:1 ", dt::kBusOk, dt::kDoneDot}},
      {kExt, "db", "1", {0x40}, {" db канал:1 ", dt::kBusError, dt::kDoneDot}},
      {kExt, "rl", "9", {0x3C}, {" rl канал:9 ", " Latch-регистр=0x3c", dt::kDoneDot}},
      {kExt, "sr", "9", {}, {" sr канал:9 ", dt::kDoneDot}},
      {kExt, "rds", "0", {1, 0, 0, 1, 3, 0, 0x60, 0, 0x55},
       {" rds канал:0 ", "  DLL(0)=0x01", "  DLM(1)=0x00", "  IER(1)=0x00", "  ISR(2)=0x01", "  LCR(3)=0x03",
        "Latch(4)=0x00", "  LSR(5)=0x60", "  MSR(6)=0x00", "  SPR(7)=0x55", dt::kDoneDot}},
  };
  for (const ReplyCase& c : cases) {
    SCOPED_TRACE(std::string(c.op) + " " + c.address);
    dui.journal.Clear();
    reply = c.reply;
    Run(c.target, c.op, c.address, "0x1");
    auto lines = dui.Lines();
    ASSERT_FALSE(lines.empty());
    lines.erase(lines.begin());
    EXPECT_EQ(lines, c.lines);
  }
}

TEST_F(DebugConsoleTest, EscDuringSingleOperationsSendsNothingMore) {
  port->onRead = [this](int number) {
    if (number % 3 == 0) station.flags.RequestAbort();
  };
  EXPECT_EQ(Run(kSdram, "w", "0x0", "0x1"), Outcome::Aborted);
  EXPECT_EQ(sent.size(), 10u);
  EXPECT_EQ(dui.Lines().back(), dt::kAbortedNoDot);
  EXPECT_EQ(Run(kExt, "rds", "1", ""), Outcome::Aborted);
  EXPECT_EQ(sent, (Bytes{0x67, 0x01, 0x00, 0x08}));
  EXPECT_EQ(dui.Lines().back(), dt::kAbortedDot);
}

TEST_F(DebugConsoleTest, ServiceComTxcStreamsTheByteAndStopsAtOnce) {
  port->onWrite = [this](const std::vector<std::uint8_t>& written) {
    if (written.size() == 4500) station.flags.RequestAbort();
  };
  EXPECT_EQ(Run(kService, "txc", "ignored", "0xA5"), Outcome::Success);
  EXPECT_EQ(sent, Bytes(4500, 0xA5));
  // The line blinked through one whole counter cycle and stood again from 2000 on.
  EXPECT_EQ(dui.Lines(), (std::vector<std::string>{dt::kSeparator, " txc  0xa5", dt::kAbortedNoDot}));
  EXPECT_EQ(sleeps.front(), milliseconds(100));
}

TEST_F(DebugConsoleTest, CommandLineArgumentRefusesTextsPastTheFieldLimits) {
  struct ArgCase {
    const char* rest;
    bool ok;
  };
  const ArgCase cases[] = {
      {"=ethernet:w:0x1:0xffff", true},  {"=service-com:txc::0x55", true}, {"=ext-com:rds:3:", true},
      {"=ethernet:w:0x12:0xff", false},  {"=sdram:wcx:0x1:", false},       {"=sdram:r:0x100", false},
      {"=sdram:r:0x1:2:3", false},       {"=dram:r:0x1:", false},          {"", false},
  };
  for (const ArgCase& c : cases) {
    OperationArgs args;
    std::string error;
    EXPECT_EQ(ParseDebugArgument(c.rest, args, error), c.ok) << c.rest << ": " << error;
  }
}

TEST_F(DebugConsoleTest, DebugButtonIsRefusedWhileEthernetIsOnAndKeepsTheAbortFlag) {
  station.flags.RequestAbort();
  ASSERT_EQ(PressButton(station, Button::Debug), StartResult::Started);
  ui.ethernet = true;
  EXPECT_EQ(PressButton(station, Button::Debug), StartResult::Refused);
  const RecordingUi& recording = ui;
  ASSERT_EQ(recording.debugRequests.size(), 1u);
  EXPECT_EQ(recording.debugRequests[0].target, -1);
  EXPECT_EQ(recording.messages.back().text, text::kOnlyOverCom);
  EXPECT_EQ(station.flags.abort.load(), 1);
  EXPECT_EQ(station.flags.focusIndex.load(), 9);
}

}  // namespace
}  // namespace rz::testing
