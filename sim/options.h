#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "board_model.h"
#include "faults.h"

namespace rzsim {

// Everything the command line chooses.
struct SimConfig {
  BoardModel model;
  Faults faults;
  std::string linkPath;   // empty: no link
  bool autoReset = true;  // reset when the station switches to 9600 baud
  bool pace = false;      // carry bytes no faster than the line rate
  bool verbose = false;   // report board events on stderr
  std::string flashLoad;  // file whose bytes the Flash holds at start (empty: erased Flash)
  std::string flashSave;  // file that receives the whole Flash at exit
};

struct ParseResult {
  enum class Kind { kRun, kHelp, kError };
  Kind kind = Kind::kRun;
  std::string error;  // for kError: what was wrong, naming the option
};

// Parses the arguments after the program name. Options may be written
// "--name value" or "--name=value"; numbers are decimal or 0x-prefixed hex.
ParseResult ParseOptions(const std::vector<std::string>& args, SimConfig& config);

// The --help text.
std::string UsageText();

// A number in decimal or with a 0x prefix in hexadecimal, at most `max`.
std::optional<std::uint64_t> ParseNumber(std::string_view text, std::uint64_t max);

}  // namespace rzsim
