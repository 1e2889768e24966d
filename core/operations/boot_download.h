#pragma once

#include "app/outcome.h"
#include "link/boot_rom.h"

namespace rz {

class Station;

// The worker of "Загрузка программы": feeds the test program to the board's
// serial boot ROM (2048 bytes at 9600 baud, the rest at 115200) and waits for
// the test program to report that it runs.
Outcome DownloadTestProgram(Station& station);

}  // namespace rz
