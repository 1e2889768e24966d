#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "app/edit_rule.h"

namespace rz {

namespace text {
// The serial-number dialog's caption.
inline constexpr const char* kSerialNumberDialogTitle = "Серийный номер";
}  // namespace text

// The serial-number dialog's edit box holds at most this many characters.
inline constexpr std::size_t kSerialNumberTextLimit = 32;
inline constexpr EditRule kSerialNumberEdit{kSerialNumberTextLimit, false};

// Whether the serial-number box may hold `text` (UTF-8): no more characters
// than its limit and no control characters (C0, DEL, C1), so that neither a
// scanner's extra codes nor a pasted line break reach the record.
bool SerialNumberBoxAccepts(std::string_view text);

// What the box keeps of `text`: its control characters dropped, then clipped
// to the limit.
std::string SerialNumberPrintable(std::string_view text);

// The serial number that ENTER gives for the box's `text`: its printable
// part without leading and trailing spaces; nothing when that leaves it empty
// (the board goes without a number, as after ESC).
std::optional<std::string> SerialNumberOnEnter(std::string_view text);

}  // namespace rz
