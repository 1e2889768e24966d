#include <chrono>

#include "context/station_context.h"
#include "debug/debug_executors.h"
#include "debug/debug_fields.h"
#include "debug/debug_texts.h"
#include "link/exchange.h"

namespace rz {

namespace {

constexpr std::chrono::milliseconds kBlinkHalfPeriod{300};

// The single read shows the Ethernet controller's registers with four digits,
// SDRAM and Flash words with eight.
std::string ReadSuffix(std::uint32_t address, std::uint32_t value) {
  if ((address & 0xF0000300u) == kEthernetWindow) return "=" + Hex(value, 4);
  const std::uint32_t top = address >> 28;
  if (top == 0 || top == (kFlashBase >> 28)) return "=" + Hex(value, 8);
  return {};
}

}  // namespace

void StopCycle(StationContext& station) {
  const std::uint8_t opcode = kOpStopCycle;
  SerialWrite(station.Port(), &opcode, 1);
}

void BlinkUntilAbort(DebugContext& ctx, const char* off, const char* on) {
  do {
    ctx.ui.AddDebugLine(-1, off);
    ctx.station.Sleep(kBlinkHalfPeriod);
    ctx.ui.AddDebugLine(-1, on);
    ctx.station.Sleep(kBlinkHalfPeriod);
  } while (!ctx.station.flags.AbortRequested());
}

Outcome ExecuteMemoryOperation(DebugContext& ctx, std::uint32_t address, std::uint32_t data, std::uint8_t code,
                               std::string& echo) {
  StationContext& station = ctx.station;
  DebugUi& ui = ctx.ui;
  PurgePort(station.Port());
  ui.SetDebugStatus(debugtext::kStatusBusy);
  Outcome outcome = Outcome::Success;
  {
    // The exchange clears the abort flag when it ends, on every path.
    SerialExchange exchange(station);
    exchange.Write8(kOpDebugAccess);
    exchange.Write32(address);
    exchange.Write32(data);
    exchange.Write8(code);
    if (code == kMemoryWrite) {
      ui.AddDebugLine(0, debugtext::kWorking3);
      for (;;) {
        std::uint8_t byte = 0;
        if (!exchange.Await8(byte)) {
          ui.AddDebugLine(-1, debugtext::kAbortedNoDot);
          outcome = Outcome::Aborted;
          break;
        }
        if (byte == kStatusDone) {
          ui.AddDebugLine(-1, debugtext::kDoneNoDot);
          break;
        }
      }
    } else if (code == kMemoryRead) {
      ui.AddDebugLine(0, debugtext::kWorking2);
      std::uint32_t value = 0;
      if (!exchange.Await32(value)) {
        ui.AddDebugLine(-1, debugtext::kAbortedNoDot);
        outcome = Outcome::Aborted;
      } else {
        echo += ReadSuffix(address, value);
        ui.AddDebugLine(-2, echo);
        ui.AddDebugLine(-1, debugtext::kDoneNoDot);
      }
    } else {
      // Every other code runs on the board until StopCycle; ESC is its end.
      ui.AddDebugLine(0, debugtext::kWorking2);
      BlinkUntilAbort(ctx, "", debugtext::kWorking2);
      StopCycle(station);
      ui.AddDebugLine(-1, debugtext::kAbortedNoDot);
    }
  }
  station.flags.ClearAbort();
  return outcome;
}

}  // namespace rz
