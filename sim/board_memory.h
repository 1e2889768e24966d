#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace rzsim {

// The board's memories as the test program's commands see them. They live as
// long as the simulator: a download restarts the program, not the memories,
// and the Flash keeps its contents as a real one does.
struct BoardMemory {
  // The largest SDRAM the board can carry; a board of the configured size uses
  // the start of it.
  static constexpr std::size_t kSdramBytes = 32u * 1024 * 1024;
  // Two 16-bit chips of 4 MB on a 32-bit bus.
  static constexpr std::size_t kFlashBytes = 8u * 1024 * 1024;

  std::vector<std::uint8_t> sdram = std::vector<std::uint8_t>(kSdramBytes, 0);
  std::vector<std::uint8_t> flash = std::vector<std::uint8_t>(kFlashBytes, 0xFF);  // erased
};

}  // namespace rzsim
