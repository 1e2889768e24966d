#include "boardtests/rtc_test.h"

#include <chrono>
#include <string>

#include "app/measurement.h"
#include "app/texts.h"
#include "app/worker_frame.h"
#include "boardtests/board_test_texts.h"
#include "boardtests/test_pause.h"
#include "context/station_context.h"
#include "link/exchange.h"

namespace rz {
namespace {

constexpr int kCountdownSeconds = 10;
constexpr std::chrono::milliseconds kCountdownStep{1000};

}  // namespace

ExchangeResult ReadRtcCounter(StationContext& station, std::uint32_t& counter) {
  SerialExchange exchange(station);
  exchange.Write8('f');
  return exchange.Await32(counter) ? kExchangeOk : kExchangeFailed;
}

bool RtcAdvancedProperly(std::uint32_t first, std::uint32_t second) {
  const std::uint32_t difference = second - first;
  return difference == 10 || difference == 11;
}

Outcome RtcTest(StationContext& station) {
  StationUi& ui = station.Ui();
  PurgePort(station.Port());
  Outcome outcome = Outcome::Success;
  {
    const WorkerFrame frame(station.Ui(), station.flags);
    ui.AddJournalLine(0, "");
    const std::string prefix = text::kRtcProgress;
    ui.AddJournalLine(0, prefix);

    std::uint32_t first = 0;
    std::uint32_t second = 0;
    if (ReadRtcCounter(station, first) != kExchangeOk) outcome = Outcome::Aborted;
    for (int n = kCountdownSeconds; n >= 1 && outcome == Outcome::Success; --n) {
      ui.AddJournalLine(-1, prefix + std::to_string(n) + text::kRtcSeconds);
      if (station.flags.AbortRequested()) {
        outcome = Outcome::Aborted;
      } else {
        PauseUnlessAborted(station, kCountdownStep);
      }
    }
    if (outcome == Outcome::Success && ReadRtcCounter(station, second) != kExchangeOk) outcome = Outcome::Aborted;

    if (outcome != Outcome::Aborted) {
      // Modulo 2^32, as the counter wraps.
      Measure(station, {"rtc.differenceSeconds", static_cast<double>(second - first), "s"});
    }
    if (outcome == Outcome::Aborted) {
      ui.AddJournalLine(0, text::kAborted);
    } else if (RtcAdvancedProperly(first, second)) {
      ui.AddJournalLine(-1, prefix + "OK (" + std::to_string(second - first) + ")" + text::kRtcSeconds);
    } else {
      outcome = Outcome::Failed;
      ui.AddJournalLine(-1, prefix + text::kRtcErrors);
    }
    PlayEndSignal(station.Sound(), station.flags.soundOption.load());
  }
  return outcome;
}

}  // namespace rz
