#pragma once

#include <string>

#include "app/station_ui.h"

namespace rz {

// What an operation's controls would ask the operator for (a selector entry, a
// file chosen in a dialog, a count typed into one), when it is given up front
// instead, as the command line does. An operation started from the window gets
// no arguments and asks through its dialogs.
struct OperationArgs {
  int selectorEntry = kNoEntry;  // the entry a selector is set to
  // The Ethernet switch: its new state and, for switching on, the text typed
  // into the IP-address dialog.
  bool ethernetOn = false;
  std::string ipAddressText;
};

}  // namespace rz
