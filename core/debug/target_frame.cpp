#include <chrono>

#include "context/station_context.h"
#include "debug/debug_console.h"
#include "debug/debug_texts.h"

namespace rz {

namespace {

constexpr std::chrono::milliseconds kEnterPoll{100};

std::string ReadLowered(DebugUi& ui, DebugField field, int limit) {
  std::string text = ui.ReadField(field, limit);
  // The window already keeps to the limit; cut again so that nothing past it
  // is ever looked at, whatever a front end hands over.
  if (limit >= 0 && text.size() > static_cast<std::size_t>(limit)) text.resize(static_cast<std::size_t>(limit));
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// Steps 5 to 9: read and check the fields, echo, run.
Outcome RunOneOperation(DebugContext& ctx, const DebugTarget& target) {
  ctx.station.flags.runRequest.store(0);
  DebugFieldTexts fields;
  fields.operation = ReadLowered(ctx.ui, DebugField::Operation, target.limits.operation);
  if (target.readsAddress) fields.address = ReadLowered(ctx.ui, DebugField::Address, target.limits.address);
  fields.data = ReadLowered(ctx.ui, DebugField::Data, target.limits.data);

  DebugPlan plan;
  if (const char* error = target.check(fields, plan)) {
    ctx.ui.AddDebugLine(0, error);
    return Outcome::Failed;
  }
  ctx.ui.RequestJournalFocus();
  ctx.ui.EnableFields(false, false, false);
  ctx.ui.AddDebugLine(0, debugtext::kSeparator);
  ctx.ui.AddDebugLine(0, plan.echo);
  return target.execute(ctx, plan);
}

// Step 11. The buttons come back last among the calls that wait for the
// window, so that once they can be pressed the thread only posts the focus
// moves and clears its flags: the window may then wait for it to end.
void LeaveTargetMode(DebugContext& ctx) {
  ctx.ui.EnableFields(false, false, false);
  ctx.ui.SetDebugStatus(debugtext::kStatusIdle);
  ctx.ui.EnableTargetButtons(true);
  ctx.ui.RestoreDebugFocus(ctx.state.focusIndex.load());
  ctx.station.flags.runRequest.store(0);
  ctx.station.flags.ClearAbort();
  ctx.state.targetMode.store(0);
}

}  // namespace

void EnterTargetMode(DebugContext& ctx, const DebugTarget& target) {
  ctx.state.focusIndex.store(static_cast<std::uint8_t>(target.number));
  ctx.station.flags.ClearAbort();
  ctx.station.flags.runRequest.store(0);
  ctx.ui.EnableTargetButtons(false);
  ctx.ui.ClearFields(true, true, true);
}

Outcome RunTargetThread(DebugContext& ctx, const DebugTarget& target) {
  ctx.state.targetMode.store(1);
  ctx.ui.SetFieldLimits(target.limits);
  Outcome last = Outcome::Aborted;
  for (;;) {
    ctx.ui.EnableFields(true, true, true);
    ctx.ui.RequestOperationFocus();
    for (;;) {
      ctx.station.Sleep(kEnterPoll);
      if (ctx.station.flags.AbortRequested()) {
        LeaveTargetMode(ctx);
        return last;
      }
      if (ctx.station.flags.runRequest.load() != 0) break;
    }
    last = RunOneOperation(ctx, target);
  }
}

Outcome DebugEthernet(DebugContext& ctx) { return RunTargetThread(ctx, *FindDebugTarget(1)); }
Outcome DebugSdram(DebugContext& ctx) { return RunTargetThread(ctx, *FindDebugTarget(2)); }
Outcome DebugFlash(DebugContext& ctx) { return RunTargetThread(ctx, *FindDebugTarget(3)); }
Outcome DebugServiceCom(DebugContext& ctx) { return RunTargetThread(ctx, *FindDebugTarget(4)); }
Outcome DebugExternalComs(DebugContext& ctx) { return RunTargetThread(ctx, *FindDebugTarget(5)); }

}  // namespace rz
