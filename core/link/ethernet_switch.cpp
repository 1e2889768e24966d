#include "link/ethernet_switch.h"

#include "app/station.h"
#include "app/texts.h"
#include "app/worker_frame.h"
#include "link/ethernet_texts.h"
#include "link/exchange.h"
#include "link/ip_address.h"
#include "link/udp_channel.h"

namespace rz {
namespace {

constexpr std::uint8_t kEnableEthernet = 'a';
constexpr std::uint8_t kDisableEthernet = 'b';
// Read attempts for the answer; the byte of the last attempt is not looked at.
constexpr int kAnswerReads = 240;

int AwaitEthernetAnswer(Station& station) {
  for (int read = 1; read <= kAnswerReads; ++read) {
    std::uint8_t byte = 0;
    const std::size_t got = SerialRead(station.Port(), &byte, 1);
    if (station.flags.AbortRequested()) return kExchangeFailed;
    if (got == 1 && read < kAnswerReads) return byte == kStatusDone ? kExchangeOk : kExchangeFailed;
  }
  return kExchangeFailed;
}

}  // namespace

int EnableEthernet(Station& station, const std::array<std::uint8_t, 4>& address) {
  SerialWrite(station.Port(), &kEnableEthernet, 1);
  for (const std::uint8_t byte : address) SerialWrite(station.Port(), &byte, 1);
  return AwaitEthernetAnswer(station);
}

int DisableEthernet(Station& station) {
  SerialWrite(station.Port(), &kDisableEthernet, 1);
  return AwaitEthernetAnswer(station);
}

Outcome SwitchEthernet(Station& station) {
  StationUi& ui = station.Ui();
  const WorkerFrame frame(station, {.showAbortHint = false, .restoreIdleHint = false, .clearAbort = true});
  ui.AddJournalLine(0, "");
  UdpChannel& udp = station.udp;
  if (!udp.socket) udp.socket = CreateUdpSocket(station);
  const bool switchingOn = ui.EthernetSwitch();
  if (!udp.socket) {
    if (!switchingOn) return Outcome::Success;
    ui.SetEthernetSwitch(false);
    ui.AddJournalLine(0, text::kSocketOpenError);
    return Outcome::Failed;
  }
  if (switchingOn) {
    ui.AddJournalLine(0, text::kEthernetConnecting);
    PurgePort(station.Port());
    if (EnableEthernet(station, udp.boardAddress.address) == kExchangeOk) {
      ui.AddJournalLine(-1, text::kEthernetEnabled);
      ui.AddJournalLine(0, text::kEthernetAddressPrefix + FormatIpv4(udp.boardAddress.address));
      return Outcome::Success;
    }
    ui.SetEthernetSwitch(false);
    ui.AddJournalLine(0, text::kEthernetConnectError);
    return station.flags.AbortRequested() ? Outcome::Aborted : Outcome::Failed;
  }
  ui.AddJournalLine(0, text::kEthernetDisconnecting);
  PurgePort(station.Port());
  if (DisableEthernet(station) == kExchangeOk) {
    ui.AddJournalLine(-1, text::kEthernetDisabled);
    return Outcome::Success;
  }
  ui.SetEthernetSwitch(true);
  ui.AddJournalLine(0, text::kEthernetDisconnectError);
  return station.flags.AbortRequested() ? Outcome::Aborted : Outcome::Failed;
}

}  // namespace rz
