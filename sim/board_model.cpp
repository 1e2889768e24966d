#include "board_model.h"

namespace rzsim {

namespace {

constexpr std::uint32_t kAtmel = 0x001F001F;
constexpr std::uint32_t kIntel = 0x00890089;
constexpr std::uint32_t kSamsung = 0x00EC00EC;
// Chips with a CFI query table answer 'Q' (0x0051) from both halves.
constexpr std::uint32_t kCfiQuery = 0x00510051;
// The older Atmel parts have no CFI table: the read returns erased data.
constexpr std::uint32_t kNoCfi = 0xFFFFFFFF;

constexpr std::uint32_t Both(std::uint16_t code) {
  return static_cast<std::uint32_t>(code) << 16 | code;
}

}  // namespace

const std::array<FlashChip, 8>& FlashChips() {
  static const std::array<FlashChip, 8> chips = {{
      {"at49bv322a", {32, kAtmel, Both(0x00C8), kCfiQuery}},
      {"at49bv321", {32, kAtmel, Both(0x00C8), kNoCfi}},
      {"at49bv322at", {32, kAtmel, Both(0x00C9), kCfiQuery}},
      {"at49bv321t", {32, kAtmel, Both(0x00C9), kNoCfi}},
      {"k8d3216ub", {32, kSamsung, Both(0x223F), kCfiQuery}},
      {"k8d3216ut", {32, kSamsung, Both(0x22B7), kCfiQuery}},
      {"28f320b3t", {32, kIntel, Both(0x8896), kCfiQuery}},
      {"28f320b3b", {32, kIntel, Both(0x8897), kCfiQuery}},
  }};
  return chips;
}

std::optional<FlashIdentity> FindFlashChip(std::string_view name) {
  for (const FlashChip& chip : FlashChips()) {
    if (chip.name == name) return chip.identity;
  }
  return std::nullopt;
}

}  // namespace rzsim
