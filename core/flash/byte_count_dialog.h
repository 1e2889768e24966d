#pragma once

#include <cstdint>
#include <string_view>

#include "app/edit_rule.h"
#include "flash/image_file.h"

namespace rz {

// The byte-count dialog of the Flash-to-file button: one edit box of at most
// seven digits, no buttons.
inline constexpr EditRule kByteCountEdit{static_cast<std::size_t>(kByteCountDigits), true};

// The count after ENTER: the leading digits of the box's first seven
// characters (0 without any).
std::uint32_t ByteCountOnEnter(std::string_view text);

// The count after ESC.
inline constexpr std::uint32_t kByteCountOnEscape = 0;

}  // namespace rz
