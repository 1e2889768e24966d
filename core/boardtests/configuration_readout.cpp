#include "boardtests/configuration_readout.h"

#include "link/serial_channel.h"

#include "app/texts.h"
#include "app/worker_frame.h"
#include "boardtests/configuration_commands.h"
#include "boardtests/configuration_decode.h"
#include "context/station_context.h"
#include "link/exchange.h"

namespace rz {
namespace {

void AddLines(StationUi& ui, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) ui.AddJournalLine(0, line);
}

// Prints a section's lines, or its error line when the read failed.
bool Report(StationUi& ui, ExchangeResult status, const char* errorLine, const std::vector<std::string>& lines) {
  if (status != kExchangeOk) {
    ui.AddJournalLine(0, errorLine);
    return false;
  }
  AddLines(ui, lines);
  return true;
}

}  // namespace

Outcome ConfigurationReadout(StationContext& station) {
  StationUi& ui = station.Ui();
  PurgePort(station.Port());
  const WorkerFrame frame(station.Ui(), station.flags);
  ui.AddJournalLine(0, text::kSeparator);
  ui.AddJournalLine(0, text::kCpuHeading);
  bool allRead = true;

  CpuId cpu;
  ExchangeResult status = ReadCpuId(station, cpu);
  allRead &= Report(ui, status, text::kCpuReadError,
                    status == kExchangeOk ? DescribeCpu(cpu, ui.SelectorIndex(Selector::CpuClock))
                                          : std::vector<std::string>{});

  ui.AddJournalLine(0, "");
  ui.AddJournalLine(0, text::kSdramHeading);
  std::uint32_t sdram = 0;
  status = ReadSdramConfig(station, sdram);
  allRead &= Report(ui, status, text::kSdramReadError, DescribeSdram(sdram));

  ui.AddJournalLine(0, "");
  ui.AddJournalLine(0, text::kFlashHeading);
  FlashId flash;
  status = ReadFlashId(station, flash);
  allRead &= Report(ui, status, text::kFlashReadError, DescribeFlash(flash));

  ui.AddJournalLine(0, "");
  ui.AddJournalLine(0, text::kEthernetHeading);
  EthernetConfig ethernet;
  status = ReadEthernetConfig(station, ethernet);
  allRead &= Report(ui, status, text::kEthernetReadError, DescribeEthernet(ethernet));

  return allRead ? Outcome::Success : Outcome::Failed;
}

}  // namespace rz
