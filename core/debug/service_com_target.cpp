// The service COM target: a data byte streamed over the station's own link
// into the board's receive line (txc), and the RTS and DTR toggles.

#include "app/station.h"
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

Outcome StreamDataByte(DebugContext& ctx, std::uint8_t byte) {
  DebugUi& ui = ctx.ui;
  ui.AddDebugLine(0, debugtext::kWorking2);
  int counter = 0;
  for (;;) {
    if (counter >= kHideAt) {
      counter = 0;
    } else {
      ++counter;
      if (counter == kShowAt) ui.AddDebugLine(-1, debugtext::kWorking2);
      if (counter == kHideAt) ui.AddDebugLine(-1, " ");
    }
    SerialWrite(ctx.station.Port(), &byte, 1);
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
