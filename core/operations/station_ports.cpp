#include "operations/station_ports.h"

#include <string>

#include "app/ethernet_texts.h"
#include "app/texts.h"
#include "operations/station.h"

namespace rz {
namespace {

const char* SocketFailureText(UdpSocketFailure failure) {
  switch (failure) {
    case UdpSocketFailure::Startup: return text::kSocketLayerError;
    case UdpSocketFailure::Create: return text::kSocketCreateError;
    case UdpSocketFailure::Bind: return text::kSocketBindError;
    case UdpSocketFailure::None:
    case UdpSocketFailure::NoLocalAddress: break;
  }
  return nullptr;
}

}  // namespace

std::unique_ptr<SerialDevice> OpenPort(Station& station, int n) {
  const std::string name = n == 2 ? "COM2" : "COM1";
  const std::string& path = n == 2 ? station.portPaths.com2 : station.portPaths.com1;
  std::string reason;
  std::unique_ptr<SerialDevice> port = OpenSerialPort(station.Serial(), path, reason);
  if (!port) {
    station.Ui().ShowError({text::kErrorCaption, std::string(text::kPortOpenError) + "<" + name + ">",
                            false, reason});
  }
  return port;
}

Outcome CloseVanishedPort(Station& station, Outcome outcome) {
  if (!station.flags.portGone.load()) return outcome;
  StationUi& ui = station.Ui();
  const bool com2 = ui.SelectorIndex(Selector::Port) == kPortEntryCom2;
  const std::string name = com2 ? "COM2" : "COM1";
  ui.AddJournalLine(0, text::kPortGonePrefix + name + text::kPortGoneSuffix);
  ui.Note(name + " (" + (com2 ? station.portPaths.com2 : station.portPaths.com1) + ")" + text::kPortGoneNote);
  station.SetPort(nullptr);
  ui.SetSelectorIndex(Selector::Port, kPortEntryNone);
  return outcome == Outcome::Success ? outcome : Outcome::Failed;
}

std::unique_ptr<DatagramSocket> OpenUdpSocket(Station& station) {
  UdpSocketResult result = CreateUdpSocket(station);
  if (const char* message = SocketFailureText(result.failure)) {
    station.Ui().ShowError({text::kErrorCaption, message, false});
  }
  return std::move(result.socket);
}

}  // namespace rz
