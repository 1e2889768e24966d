#include "boardtests/configuration_readout.h"

#include "link/serial_channel.h"

#include "app/texts.h"
#include "app/worker_frame.h"
#include "boardtests/configuration_commands.h"
#include "boardtests/configuration_decode.h"
#include "boardtests/identity_measurements.h"
#include "context/station_context.h"
#include "link/exchange.h"

namespace rz {
namespace {

// Starts a section of the journal.
void Heading(StationUi& ui, const char* heading) {
  ui.AddJournalLine(0, "");
  ui.AddJournalLine(0, heading);
}

std::vector<std::string> Describe(const BoardIdentity::Processor& cpu) { return DescribeCpu(cpu); }
std::vector<std::string> Describe(const BoardIdentity::Sdram& sdram) { return DescribeSdram(sdram); }
std::vector<std::string> Describe(const BoardIdentity::Flash& flash) { return DescribeFlash(flash); }
std::vector<std::string> Describe(const BoardIdentity::Ethernet& ethernet) { return DescribeEthernet(ethernet); }

// Prints a section's lines and keeps its values in `section`, or prints its
// error line when the read failed (the section then stays unknown).
template <typename Section, typename Decode>
bool Report(StationUi& ui, ExchangeResult status, const char* errorLine, std::optional<Section>& section, Decode decode) {
  if (status != kExchangeOk) {
    ui.AddJournalLine(0, errorLine);
    return false;
  }
  section = decode();
  for (const std::string& line : Describe(*section)) ui.AddJournalLine(0, line);
  return true;
}

}  // namespace

Outcome ConfigurationReadout(StationContext& station) {
  StationUi& ui = station.Ui();
  PurgePort(station.Port());
  const WorkerFrame frame(station.Ui(), station.flags);
  ui.AddJournalLine(0, text::kSeparator);
  ui.AddJournalLine(0, text::kCpuHeading);
  BoardIdentity identity;
  bool allRead = true;

  CpuId cpu;
  ExchangeResult status = ReadCpuId(station, cpu);
  allRead &= Report(ui, status, text::kCpuReadError, identity.processor,
                    [&] { return DecodeCpu(cpu, ui.SelectorIndex(Selector::CpuClock)); });

  Heading(ui, text::kSdramHeading);
  std::uint32_t sdram = 0;
  status = ReadSdramConfig(station, sdram);
  allRead &= Report(ui, status, text::kSdramReadError, identity.sdram, [&] { return DecodeSdram(sdram); });

  Heading(ui, text::kFlashHeading);
  FlashId flash;
  status = ReadFlashId(station, flash);
  allRead &= Report(ui, status, text::kFlashReadError, identity.flash, [&] { return DecodeFlash(flash); });

  Heading(ui, text::kEthernetHeading);
  EthernetConfig ethernet;
  status = ReadEthernetConfig(station, ethernet);
  allRead &= Report(ui, status, text::kEthernetReadError, identity.ethernet, [&] { return DecodeEthernet(ethernet); });

  // A readout that read nothing (a silent board, no port) says nothing of
  // which board this is.
  if (station.results != nullptr && !identity.Empty()) {
    station.results->BoardIdentified(identity);
    for (const Measurement& measurement : IdentityMeasurements(identity)) Measure(station, measurement);
  }
  return allRead ? Outcome::Success : Outcome::Failed;
}

}  // namespace rz
