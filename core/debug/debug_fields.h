#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace rz {

// Converts the hexadecimal digits of a field after its "0x" prefix: false for
// an empty text or when one of the first eight characters is not a hex digit;
// characters after the eighth are not examined.
bool ParseHex(std::string_view text, std::uint32_t& value);

// A hexadecimal field: its lower-cased text begins with "0x" and ParseHex
// accepts the rest.
bool ParseHexField(std::string_view lowered, std::uint32_t& value);

// A decimal field read as a signed number: an optional sign, then digits;
// reading stops at the first other character, and a text without leading
// digits gives 0. Saturates instead of overflowing.
std::int32_t ParseDecimal(std::string_view text);

// ASCII lower case (other bytes unchanged).
std::string LowerCase(std::string_view text);

// "0x" and the value in lower-case hexadecimal, padded with zeros to at least
// `digits` digits (as "0x%04x" for 4).
std::string Hex(std::uint32_t value, int digits = 1);

}  // namespace rz
