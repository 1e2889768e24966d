#pragma once

#include <string>
#include <vector>

#include "history/history_index.h"

namespace rz {

// What the bench is told of a board a readout identified: how many times it
// was tested before and how the last test ended, and a warning when its
// processor's Uniq_ID was seen before with another Flash security ID or
// another serial number. Journal lines (start with a space; the warning with
// " *"); none without a Uniq_ID. `past` is the history's index, oldest first;
// `board` what the unit knows of the board now (its serial number may still be
// unknown).
std::vector<std::string> BoardPastLines(const std::vector<HistoryEntry>& past, const HistoryEntry& board);

}  // namespace rz
