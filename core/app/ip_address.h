#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/edit_rule.h"

namespace rz {

// The IP-address dialog's edit box holds at most this many characters.
inline constexpr std::size_t kIpAddressTextLimit = 15;
// The dialog's edit box takes any characters up to that limit; ENTER hands
// its text to ParseIpAddressText, ESC gives nothing.
inline constexpr EditRule kIpAddressEdit{kIpAddressTextLimit, false};

// Parses the text typed into the IP-address dialog. The first three fields
// each end at a '.' that comes after 1 to 3 characters; the fourth is the rest
// of the text. Each field gives the low 8 bits of the decimal number its
// leading digits make (no digits: 0), so "300" gives 44. A 0 in the first three
// fields is accepted only when written as a single character; a fourth byte of
// 0 is always refused. Only the first 15 characters are looked at, as the edit
// box holds no more. Returns the four bytes, or nothing when refused.
std::optional<std::array<std::uint8_t, 4>> ParseIpAddressText(std::string_view text);

// "a.b.c.d" of the address bytes.
std::string FormatIpv4(const std::array<std::uint8_t, 4>& address);

// "%d.%d.%d.%d", as the dialog shows the stored address.
std::string IpAddressText(const std::array<std::uint8_t, 4>& address);

// A plain dotted IPv4 address for the command line: four decimal numbers of
// 0..255 separated by dots, nothing else.
std::optional<std::array<std::uint8_t, 4>> ParseDottedIpv4(std::string_view text);

}  // namespace rz
