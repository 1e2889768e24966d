#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/port_paths.h"

namespace rz {

// The command line of the station's window programs (the Qt window and the
// native Windows window take the same options).
struct WindowOptions {
  std::string workDir;  // empty: the current directory
  PortPaths portPaths;  // the caller's defaults unless --com1/--com2 are given
  // The station's own address for work through Ethernet; nothing: the computer's.
  std::optional<std::array<std::uint8_t, 4>> localAddress;
  std::string recordPath;  // empty: no run record
  // For the record: the station's name (empty: the computer's), the operator
  // and the serial number of the first board.
  std::string station;
  std::string operatorName;
  std::string serial;
  // The production profile: with it, each successful download runs the
  // profile's sequence and ends with the board's verdict.
  std::string profilePath;
  // Each finished unit goes into the history folder (empty: the one in the
  // user's data folder) unless --no-history.
  std::string historyDir;
  bool noHistory = false;
  // With the history: each finished unit is also forwarded to this shared
  // folder; empty: none.
  std::string forwardDir;
  bool help = false;
};

// Parses the arguments after the program's name: "--name VALUE" and
// "--name=VALUE" for --workdir, --com1, --com2, --local-address, --record,
// --station, --operator, --serial, --profile, --history and --forward,
// and --no-history, --help or -h. Fills `options` (keeping the defaults it holds for what
// is not given) and returns true; on a mistake returns false with `error`
// saying what is wrong.
bool ParseWindowOptions(const std::vector<std::string>& args, WindowOptions& options, std::string& error);

}  // namespace rz
