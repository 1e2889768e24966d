#pragma once

#include <string>
#include <variant>

namespace rz {

// One value an operation measured, as the operation knows it (no journal text
// is parsed to get it): a name made of the operation's word and the quantity,
// e.g. "sdram.errors", "rtc.differenceSeconds", "extcom.errors[7]" (an index
// in brackets for one of several alike), and the unit of a number ("s", "MB";
// empty for counts and texts).
struct Measurement {
  std::string name;
  std::variant<double, std::string> value;
  std::string unit;

  bool IsText() const { return std::holds_alternative<std::string>(value); }
  double Number() const { return IsText() ? 0.0 : std::get<double>(value); }
  const std::string& Text() const;
};

}  // namespace rz
