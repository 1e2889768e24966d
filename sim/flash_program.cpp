#include "flash_program.h"

namespace rzsim {

std::optional<std::uint32_t> ProgramFlash(std::vector<std::uint8_t>& flash, std::uint32_t address,
                                          std::span<const std::uint8_t> data, const FlashFaults& faults) {
  std::optional<std::uint32_t> bad;
  for (std::size_t i = 0; i < data.size(); ++i) {
    const std::size_t at = std::size_t{address} + i;
    if (at >= flash.size()) break;
    if (faults.Unprogrammed(at)) continue;
    flash[at] &= data[i];
    if (flash[at] != data[i] && !bad) bad = static_cast<std::uint32_t>(at);
  }
  return bad;
}

}  // namespace rzsim
