// The service COM target: a data byte streamed over the station's own link
// into the board's receive line (txc), and the RTS and DTR toggles.

#include <algorithm>
#include <chrono>

#include "context/station_context.h"
#include "debug/debug_executors.h"
#include "debug/debug_fields.h"
#include "debug/debug_texts.h"

namespace rz {

namespace {

constexpr const char* kKeywords[] = {"txc", "rts", "dtr"};
// The blink counter of txc: the line shows " Выполняю.." from write 2000 to
// 4000 of every 4001 and a blank for the rest, so it blinks at the line's pace.
constexpr int kShowAt = 2000;
constexpr int kHideAt = 4000;
// The stream goes no faster than the line carries it at 115200 baud (10 bits
// a byte), in sleeps of a few milliseconds, and a write the port refuses (a
// device gone) is tried again only after a read's time-out: a port that takes
// bytes faster than the line (a pseudo-terminal) or none at all costs no CPU.
using Clock = std::chrono::steady_clock;
constexpr std::chrono::nanoseconds kByteTime{1'000'000'000LL * 10 / kStandardBaud};
constexpr std::chrono::milliseconds kPaceSlice{5};
constexpr std::chrono::milliseconds kRefusedWritePause{kReadTotalTimeoutMs};

Outcome StreamDataByte(DebugContext& ctx, std::uint8_t byte) {
  DebugUi& ui = ctx.ui;
  ui.AddDebugLine(0, debugtext::kWorking2);
  int counter = 0;
  Clock::time_point due = Clock::now();
  for (;;) {
    if (counter >= kHideAt) {
      counter = 0;
    } else {
      ++counter;
      if (counter == kShowAt) ui.AddDebugLine(-1, debugtext::kWorking2);
      if (counter == kHideAt) ui.AddDebugLine(-1, " ");
    }
    if (SerialWrite(ctx.station.Port(), &byte, 1) != 1) {
      ctx.station.Sleep(kRefusedWritePause);
    } else {
      const Clock::time_point now = Clock::now();
      due = std::max(due, now) + kByteTime;
      if (due - now >= kPaceSlice) ctx.station.Sleep(kPaceSlice);
    }
    if (ctx.station.flags.AbortRequested()) break;
  }
  ui.AddDebugLine(-1, debugtext::kAbortedNoDot);
  return Outcome::Success;
}

Outcome ToggleLine(DebugContext& ctx, std::uint8_t opcode) {
  SerialWrite(ctx.station.Port(), &opcode, 1);
  ctx.ui.AddDebugLine(0, debugtext::kWorking2);
  BlinkUntilAbort(ctx, "", debugtext::kWorking2);
  StopCycle(ctx.station);
  ctx.ui.AddDebugLine(-1, debugtext::kAbortedNoDot);
  return Outcome::Success;
}

}  // namespace

const char* CheckServiceCom(const DebugFieldTexts& fields, DebugPlan& plan) {
  std::uint8_t keyword = 0;
  while (keyword < 3 && fields.operation != kKeywords[keyword]) ++keyword;
  if (keyword == 3) return debugtext::kOperationError;
  std::uint32_t data = 0;
  if (keyword == kServiceTxc && !ParseHexField(fields.data, data)) return debugtext::kDataError;
  plan.code = keyword;
  plan.data = data;
  plan.echo = std::string(" ") + kKeywords[keyword] + "  " + (keyword == kServiceTxc ? Hex(data, 2) : "0|1");
  return nullptr;
}

Outcome ExecuteServiceComOperation(DebugContext& ctx, std::uint32_t data, std::uint8_t keyword) {
  PurgePort(ctx.station.Port());
  ctx.ui.SetDebugStatus(debugtext::kStatusBusy);
  const Outcome outcome = keyword == kServiceTxc ? StreamDataByte(ctx, static_cast<std::uint8_t>(data))
                                                 : ToggleLine(ctx, keyword == kServiceRts ? kOpToggleRts : kOpToggleDtr);
  ctx.station.flags.ClearAbort();
  return outcome;
}

Outcome ExecuteServiceComPlan(DebugContext& ctx, DebugPlan& plan) {
  return ExecuteServiceComOperation(ctx, plan.data, plan.code);
}

}  // namespace rz
