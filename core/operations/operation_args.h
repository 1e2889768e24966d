#pragma once

#include <cstdint>
#include <string>

#include "app/station_ui.h"
#include "boardtests/external_com_params.h"
#include "debug/debug_request.h"

namespace rz {

// What an operation's controls would ask the operator for (a selector entry, a
// file chosen in a dialog, a count typed into one), when it is given up front
// instead, as the command line does. An operation started from the window gets
// no arguments and asks through its dialogs.
struct OperationArgs {
  int selectorEntry = kNoEntry;  // the entry a selector is set to
  ExtComArgs extCom;             // the external channel test's parameters
  DebugRequest debug;            // what the debug console is to run
  std::string file;              // the file of a Flash transfer, as given
  std::uint32_t readCount = 0;   // the byte count of a read from Flash
  // The Ethernet switch: its new state and, for switching on, the text typed
  // into the IP-address dialog.
  bool ethernetOn = false;
  std::string ipAddressText;
};

}  // namespace rz
