#pragma once

#include "app/outcome.h"

namespace rz {

class StationContext;

// The worker of "Конфигурация": reads and prints the processor IDs, the SDRAM
// configuration, the Flash identification and the Ethernet controller's
// parameters, one journal section each. ESC ends only the section in progress.
// Succeeds when every section was read.
Outcome ConfigurationReadout(StationContext& station);

}  // namespace rz
