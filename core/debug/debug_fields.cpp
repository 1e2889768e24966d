#include "debug/debug_fields.h"

#include <limits>

namespace rz {

namespace {
constexpr std::size_t kHexDigits = 8;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
}  // namespace

bool ParseHex(std::string_view text, std::uint32_t& value) {
  if (text.empty()) return false;
  std::uint32_t result = 0;
  for (std::size_t i = 0; i < text.size() && i < kHexDigits; ++i) {
    const int digit = HexDigit(text[i]);
    if (digit < 0) return false;
    result = (result << 4) | static_cast<std::uint32_t>(digit);
  }
  value = result;
  return true;
}

bool ParseHexField(std::string_view lowered, std::uint32_t& value) {
  if (lowered.size() < 2 || lowered[0] != '0' || lowered[1] != 'x') return false;
  return ParseHex(lowered.substr(2), value);
}

std::int32_t ParseDecimal(std::string_view text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  std::int64_t value = 0;
  constexpr std::int64_t kLimit = static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::max()) + 1;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > kLimit) value = kLimit;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<std::int32_t>::max()) value = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(value);
}

std::string LowerCase(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lowered;
}

std::string Hex(std::uint32_t value, int digits) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  do {
    text.insert(text.begin(), kDigits[value & 0xF]);
    value >>= 4;
  } while (value != 0);
  if (static_cast<int>(text.size()) < digits) text.insert(0, static_cast<std::size_t>(digits) - text.size(), '0');
  return "0x" + text;
}

}  // namespace rz
