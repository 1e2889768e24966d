#include "app/ip_address.h"

#include <charconv>

namespace rz {
namespace {

constexpr std::size_t kFieldsBeforeDots = 3;
constexpr std::size_t kLongestField = 3;

// The low 8 bits of the number that the field's leading digits make.
std::uint8_t LowByteOfLeadingDigits(std::string_view field) {
  unsigned value = 0;
  for (const char c : field) {
    if (c < '0' || c > '9') break;
    value = value * 10 + static_cast<unsigned>(c - '0');
    value &= 0xFFFFu;  // only the low bits matter; keeps long digit runs bounded
  }
  return static_cast<std::uint8_t>(value & 0xFFu);
}

}  // namespace

std::optional<std::array<std::uint8_t, 4>> ParseIpAddressText(std::string_view text) {
  text = text.substr(0, kIpAddressTextLimit);
  std::array<std::uint8_t, 4> address{};
  for (std::size_t i = 0; i < kFieldsBeforeDots; ++i) {
    const std::size_t dot = text.find('.');
    if (dot == std::string_view::npos || dot == 0 || dot > kLongestField) return std::nullopt;
    const std::string_view field = text.substr(0, dot);
    address[i] = LowByteOfLeadingDigits(field);
    if (address[i] == 0 && field.size() != 1) return std::nullopt;
    text.remove_prefix(dot + 1);
  }
  address[3] = LowByteOfLeadingDigits(text);
  if (address[3] == 0) return std::nullopt;
  return address;
}

std::string IpAddressText(const std::array<std::uint8_t, 4>& address) { return FormatIpv4(address); }

std::string FormatIpv4(const std::array<std::uint8_t, 4>& address) {
  std::string out;
  for (std::size_t i = 0; i < address.size(); ++i) {
    if (i > 0) out += '.';
    out += std::to_string(address[i]);
  }
  return out;
}

std::optional<std::array<std::uint8_t, 4>> ParseDottedIpv4(std::string_view text) {
  std::array<std::uint8_t, 4> address{};
  for (std::size_t i = 0; i < address.size(); ++i) {
    if (i > 0) {
      if (text.empty() || text.front() != '.') return std::nullopt;
      text.remove_prefix(1);
    }
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    const std::size_t digits = static_cast<std::size_t>(end - text.data());
    if (error != std::errc() || digits == 0 || digits > 3 || value > 255) return std::nullopt;
    address[i] = static_cast<std::uint8_t>(value);
    text.remove_prefix(digits);
  }
  if (!text.empty()) return std::nullopt;
  return address;
}

}  // namespace rz
