#include "boardtests/ethernet_test.h"

#include <string>

#include "app/measurement.h"
#include "app/texts.h"
#include "app/worker_frame.h"
#include "boardtests/board_test_texts.h"
#include "boardtests/configuration_commands.h"
#include "context/station_context.h"
#include "link/exchange.h"

namespace rz {

ExchangeResult EthernetTestStep(StationContext& station, std::uint16_t argument) {
  SerialExchange exchange(station);
  exchange.Write8('l');
  exchange.Write16(argument);
  std::uint8_t status = 0;
  if (!exchange.Await8(status)) return kExchangeFailed;
  return status == kStatusDone ? kExchangeOk : kExchangeFailed;
}

Outcome EthernetTest(StationContext& station) {
  StationUi& ui = station.Ui();
  PurgePort(station.Port());
  const WorkerFrame frame(station.Ui(), station.flags);
  ui.AddJournalLine(0, text::kSeparator);
  const std::string prefix = text::kEthernetProgress;
  ui.AddJournalLine(0, prefix);

  EthernetConfig config;
  if (ReadEthernetConfig(station, config) != kExchangeOk) {
    ui.AddJournalLine(0, text::kEthernetInitError);
    ui.AddJournalLine(0, text::kAborted);
    Measure(station, {"ethernet-test.errors", 1.0, ""});
    return Outcome::Failed;
  }
  // The figure runs over 0..14900 in steps of 100, divided by the step count:
  // 0, 0, 1, 2, 2, 3, ... 99. The line is rewritten at every step.
  constexpr int kScale = 100;
  for (int s = 0; s < kEthernetSteps * kScale; s += kScale) {
    const std::string line = prefix + std::to_string(s / kEthernetSteps) + "%";
    ui.AddJournalLine(-1, line);
    if (EthernetTestStep(station, kEthernetStepArgument) != kExchangeOk) {
      ui.AddJournalLine(-1, line + text::kEthernetStepErrors);
      ui.AddJournalLine(0, text::kAborted);
      Measure(station, {"ethernet-test.errors", 1.0, ""});
      return Outcome::Failed;
    }
  }
  Measure(station, {"ethernet-test.errors", 0.0, ""});
  ui.AddJournalLine(-1, text::kEthernetDone);
  ui.AddJournalLine(0, text::kTestPassed);
  return Outcome::Success;
}

}  // namespace rz
