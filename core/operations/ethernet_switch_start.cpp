#include <optional>
#include <string>

#include "app/ip_address.h"
#include "app/texts.h"
#include "operations/ethernet_switch.h"
#include "operations/operation_table.h"
#include "operations/start_steps.h"
#include "operations/station.h"

namespace rz {

StartResult StartEthernetSwitch(Station& station, const OperationRow& row, const OperationArgs* args) {
  StationUi& ui = station.Ui();
  UdpChannel& udp = station.udp;
  // From the command line the word stands for the click.
  if (args != nullptr) ui.SetEthernetSwitch(args->ethernetOn);
  if (ui.EthernetSwitch()) {
    const std::optional<std::string> entered =
        args != nullptr ? std::optional<std::string>(args->ipAddressText)
                        : ui.RunIpAddressDialog(IpAddressText(udp.storedAddress));
    if (!entered) {
      // ESC changes nothing: the switch goes back to where it was before the
      // click, whatever an earlier entry left in the address-valid flag.
      ui.SetEthernetSwitch(false);
      return StartResult::Refused;
    }
    if (const auto address = ParseIpAddressText(*entered)) {
      udp.storedAddress = *address;
      udp.boardAddress.address = *address;
      udp.addressValid = true;
    } else {
      ui.ShowError({text::kErrorCaption, *entered, false});
      udp.addressValid = false;
    }
  }
  if (!udp.addressValid) {
    ui.SetEthernetSwitch(false);
    return StartResult::Refused;
  }
  station.flags.ClearAbort();
  ui.FocusJournal();
  return StartWorker(station, row.worker);
}

bool ParseEthernetArgument(std::string_view rest, OperationArgs& args, std::string& error) {
  constexpr std::string_view kOn = "=on:";
  if (rest == "=off") {
    args.ethernetOn = false;
    return true;
  }
  if (rest.substr(0, kOn.size()) == kOn && rest.size() - kOn.size() <= kIpAddressTextLimit) {
    args.ethernetOn = true;
    args.ipAddressText = std::string(rest.substr(kOn.size()));
    return true;
  }
  error = "takes =on:IPV4 (at most 15 characters, as the IP-address dialog holds) or =off";
  return false;
}

}  // namespace rz
