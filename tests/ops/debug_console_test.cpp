// The debug console against the simulated board over a pseudo-terminal.

#include <gtest/gtest.h>

#include <thread>

#include "app/texts.h"
#include "cpu_time.h"
#include "debug/debug_console.h"
#include "debug/debug_operation.h"
#include "debug/debug_texts.h"
#include "recording_debug_ui.h"
#include "board_fixture.h"
#include "operations/control_handlers.h"

namespace rz::testing {
namespace {

using std::chrono::milliseconds;
namespace dt = debugtext;

class DebugBoardTest : public BoardStationTest {
 protected:
  void Start(std::vector<std::string> options = {}) {
    ASSERT_NO_FATAL_FAILURE(StartBoardAndStation(std::move(options)));
    ASSERT_EQ(PressButton(station, Button::Download), StartResult::Started);
    ASSERT_EQ(station.runner.Wait(), Outcome::Success);
  }
  // Runs one operation; ESC is pressed every `esc` while it runs (0: never).
  std::vector<std::string> Run(int target, const std::string& op, const std::string& address,
                               const std::string& data, milliseconds esc = milliseconds(0)) {
    DebugRequest request;
    request.target = target;
    request.operation = op;
    request.address = address;
    request.data = data;
    dui.journal.Clear();
    std::atomic<bool> done{false};
    std::thread presser([&] {
      while (esc.count() > 0 && !done.load()) {
        std::this_thread::sleep_for(esc);
        if (!done.load()) station.flags.RequestAbort();
      }
    });
    outcome = RunDebugRequest(station, dui, state, request);
    done.store(true);
    presser.join();
    auto lines = dui.Lines();
    if (!lines.empty()) lines.erase(lines.begin());  // the separator
    return lines;
  }

  RecordingDebugUi dui;
  DebugConsoleState state;
  Outcome outcome = Outcome::Failed;
};

using Lines = std::vector<std::string>;

TEST_F(DebugBoardTest, MemoryWritesAndReadsAtEachWidth) {
  Start();
  EXPECT_EQ(Run(2, "w", "0x0000100", "0x12345678"), (Lines{" w  0x0000100  0x12345678", dt::kDoneNoDot}));
  EXPECT_EQ(Run(2, "r", "0x0000100", ""), (Lines{" r  0x0000100  =0x12345678", dt::kDoneNoDot}));
  EXPECT_EQ(Run(2, "w", "0x0000102", "0xabcd5678"), (Lines{" w  0x0000102  0x5678", dt::kDoneNoDot}));
  EXPECT_EQ(Run(2, "w", "0x0000103", "0x99"), (Lines{" w  0x0000103  0x99", dt::kDoneNoDot}));
  EXPECT_EQ(Run(2, "r", "0x0000100", ""), (Lines{" r  0x0000100  =0x99785678", dt::kDoneNoDot}));
  EXPECT_EQ(Run(3, "W", "0x7FFFFC", "0xCAFEF00D"), (Lines{" w  0x7ffffc  0xcafef00d", dt::kDoneNoDot}));
  EXPECT_EQ(Run(3, "r", "0x7ffffe", ""), (Lines{" r  0x7ffffe  =0x0000cafe", dt::kDoneNoDot}));
  EXPECT_EQ(Run(1, "w", "0xa", "0xff"), (Lines{" w  0xa  0x00ff", dt::kDoneNoDot}));
  EXPECT_EQ(Run(1, "r", "0xA", ""), (Lines{" r  0xa  =0x00ff", dt::kDoneNoDot}));
  EXPECT_EQ(outcome, Outcome::Success);
  // Nothing of the debug console reaches the station's journal.
  EXPECT_EQ(ui.JournalLineCount(), 5);
}

TEST_F(DebugBoardTest, CyclicOperationsAndTheServiceStreamEndWithEsc) {
  Start();
  EXPECT_EQ(Run(2, "rc", "0x10", "", milliseconds(250)), (Lines{" rc  0x0000010  ", dt::kAbortedNoDot}));
  EXPECT_EQ(Run(4, "rts", "", "", milliseconds(250)), (Lines{" rts  0|1", dt::kAbortedNoDot}));
  EXPECT_EQ(Run(4, "txc", "", "0x55", milliseconds(250)), (Lines{" txc  0x55", dt::kAbortedNoDot}));
  EXPECT_EQ(Run(5, "txd", "3", "9600", milliseconds(250)), (Lines{" txd канал:3 скорость:9600", dt::kAbortedDot}));
  // The board has left every cycle and took the stream as no command.
  EXPECT_EQ(Run(2, "r", "0x10", ""), (Lines{" r  0x0000010  =0x00000000", dt::kDoneNoDot}));
}

// The service stream costs no CPU: against a board that takes bytes as fast
// as they come, once the board has gone, and without a port at all.
TEST_F(DebugBoardTest, TheServiceStreamCostsNoCpuOnAnyPort) {
  Start();
  for (int phase = 0; phase < 3; ++phase) {
    if (phase == 1) board.reset();
    if (phase == 2) station.SetPort(nullptr);
    const double before = ProcessCpuSeconds();
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(Run(4, "txc", "", "0x55", milliseconds(600)).back(), dt::kAbortedNoDot);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    // Loosely: a spinning loop takes most of a core.
    EXPECT_LT((ProcessCpuSeconds() - before) / wall, 0.25) << "phase " << phase;
  }
}

TEST_F(DebugBoardTest, ChannelOperations) {
  Start();
  EXPECT_EQ(Run(5, "rds", "3", ""),
            (Lines{" rds канал:3 ", "  DLL(0)=0x01", "  DLM(1)=0x00", "  IER(1)=0x00", "  ISR(2)=0x01",
                   "  LCR(3)=0x03", "Latch(4)=0x03", "  LSR(5)=0x60", "  MSR(6)=0x00", "  SPR(7)=0x00", dt::kDoneDot}));
  EXPECT_EQ(Run(5, "db", "3", ""), (Lines{" db канал:3 ", dt::kBusOk, dt::kDoneDot}));
  EXPECT_EQ(Run(5, "rl", "31", ""), (Lines{" rl канал:31 ", " Latch-регистр=0x1f", dt::kDoneDot}));
  EXPECT_EQ(Run(5, "sr", "3", ""), (Lines{" sr канал:3 ", dt::kDoneDot}));
}

TEST_F(DebugBoardTest, FaultyBoards) {
  Start({"--bad-data-bus"});
  EXPECT_EQ(Run(5, "db", "0", ""), (Lines{" db канал:0 ", dt::kBusError, dt::kDoneDot}));
  EXPECT_EQ(outcome, Outcome::Failed);
}

TEST_F(DebugBoardTest, SilentBoardWaitsUntilEsc) {
  Start();
  board.reset();
  board = std::make_unique<SimulatedBoard>(BoardPort("COM1"), std::vector<std::string>{"--silent"});
  // A board that answers nothing, on a port opened afresh.
  std::string error;
  station.port = serial.Open(BoardPort("COM1"), error);
  ASSERT_NE(station.port, nullptr) << error;
  EXPECT_EQ(Run(2, "r", "0x0", "", milliseconds(300)), (Lines{" r  0x0000000  ", dt::kAbortedNoDot}));
  EXPECT_EQ(outcome, Outcome::Aborted);
}

}  // namespace
}  // namespace rz::testing
