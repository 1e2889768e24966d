#include "operations/ethernet_switch.h"

#include "app/ethernet_texts.h"
#include "app/texts.h"
#include "app/worker_frame.h"
#include "link/ethernet_commands.h"
#include "link/exchange.h"
#include "operations/station.h"
#include "operations/station_ports.h"

namespace rz {

Outcome SwitchEthernet(Station& station) {
  StationUi& ui = station.Ui();
  const WorkerFrame frame(station.Ui(), station.flags,
                          {.showAbortHint = false, .restoreIdleHint = false, .clearAbort = true});
  ui.AddJournalLine(0, "");
  UdpChannel& udp = station.udp;
  const bool switchingOn = ui.EthernetSwitch();
  // Only work through Ethernet needs the socket: switching off is a command
  // over the serial port, which the board must hear whatever the socket does.
  if (switchingOn && !udp.socket) udp.socket = OpenUdpSocket(station);
  if (switchingOn && !udp.socket) {
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
