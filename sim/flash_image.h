#pragma once

#include <string>
#include <string_view>

#include "board_memory.h"

namespace rzsim {

// Fills the Flash from a file (at most 8 MB; the rest stays erased).
bool LoadFlash(const std::string& path, BoardMemory& memory, std::string& error);
// Writes the whole 8 MB Flash into a file.
bool SaveFlash(const std::string& path, const BoardMemory& memory, std::string& error);

// Parsers of the Flash fault options; each returns what was wrong, or "".
struct FlashFaults;
// CMD:ADDR:HALF[:first] with CMD e, t or w and HALF fl_0, fl_1, both, equal
// or two words A/B.
std::string AddFlashRefusal(std::string_view value, FlashFaults& faults);
// ADDR[:first]
std::string AddFlashReadFault(std::string_view value, bool loseByte, FlashFaults& faults);

}  // namespace rzsim
