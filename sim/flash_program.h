#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "flash_faults.h"

namespace rzsim {

// Programs `data` into `flash` from `address` as NOR Flash does: bits are only
// cleared. Bytes of a piece the faults leave unprogrammed keep their value and
// count as taken; bytes past the end of the Flash are dropped. Returns the
// address of the first byte that did not take its value, if any.
std::optional<std::uint32_t> ProgramFlash(std::vector<std::uint8_t>& flash, std::uint32_t address,
                                          std::span<const std::uint8_t> data, const FlashFaults& faults);

}  // namespace rzsim
