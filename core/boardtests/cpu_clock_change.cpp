#include "boardtests/cpu_clock_change.h"

#include "app/texts.h"
#include "app/worker_frame.h"
#include "boardtests/configuration_commands.h"
#include "context/station_context.h"
#include "link/exchange.h"

namespace rz {
namespace {

// The echo must reach the board at the old speed before the speed change,
// whose purge would discard output still on its way.
constexpr std::chrono::milliseconds kEchoOnTheLine{20};
// The board needs this long to settle at the new clock.
constexpr std::chrono::milliseconds kSettleAtNewClock{500};

}  // namespace

Outcome CpuClockChange(StationContext& station) {
  StationUi& ui = station.Ui();
  const WorkerFrame frame(station.Ui(), station.flags, {.clearAbort = false});
  PurgePort(station.Port());
  ui.AddJournalLine(0, "");
  ui.AddJournalLine(0, text::kCpuSwitching);

  Outcome outcome = Outcome::Success;
  const int entry = ui.SelectorIndex(Selector::CpuClock);
  if (entry == kCpuEntry74) {
    ui.AddJournalLine(-1, text::kCpuAt74);
  } else if (entry == kCpuEntry90) {
    std::uint8_t answer = 0;
    if (SwitchCpuClock(station, answer) != kExchangeOk) {
      outcome = Outcome::Aborted;
    } else if (answer == kStatusDone) {
      ui.SetSelectorIndex(Selector::CpuClock, kCpuEntry74);
      ui.AddJournalLine(-1, text::kCpuAt74);
    } else {
      ui.AddJournalLine(-1, text::kCpuAt90);
      if (station.Port() != nullptr) station.Port()->Drain();
      station.Sleep(kEchoOnTheLine);
      SetPortParams(station.Port(), kBaudAt90MHz, 8, 0, 0);
      SetPortParams(station.Port(), kBaudAt90MHz, 8, 0, 0);
      station.Sleep(kSettleAtNewClock);
    }
  }
  ui.AddJournalLine(0, outcome == Outcome::Aborted ? text::kAborted : text::kDone);
  return outcome;
}

}  // namespace rz
