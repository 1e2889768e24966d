#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli_operations.h"
#include "app/port_paths.h"

namespace rz::cli {

struct CliOptions {
  std::string workDir = ".";
  PortPaths ports;
  // The station's own address for the UDP channel; nothing: the computer's.
  std::optional<std::array<std::uint8_t, 4>> localAddress;
  int serviceComVariant = 1;  // 1 = v7, 0 = v5
  bool flashService = false;
  bool sound = false;
  bool keepGoing = false;
  bool verifyUdpWrites = true;  // --no-verify turns it off
  bool verifyWrites = false;    // --verify: writes over COM are read back too
  std::string station;          // --station: the station's name for the record
  std::string operatorName;     // --operator
  bool help = false;
  bool listPorts = false;
  std::string recordPath;  // --record: the run record (JSON)
  std::string junitPath;   // --junit: the run as a JUnit XML report
  // --silence-limit: a wait ends as ESC ends it after this long without a
  // byte from the board; zero: no limit.
  std::chrono::seconds silenceLimit{60};
  std::vector<ParsedOperation> operations;
  // --profile: the production profile whose sequence runs for each board,
  // instead of operations; --boards: how many boards (0: until Ctrl-C);
  // --wait-board: the wait for each board's boot ROM has no silence limit;
  // the --serial numbers in order, one for each board.
  std::string profilePath;
  unsigned boards = 1;
  bool waitBoard = false;
  std::vector<std::string> boardSerials;
  // --history: the history folder (empty: the one in the user's data
  // folder); --no-history turns it off.
  std::string historyDir;
  bool history = true;
  // --forward: the shared folder each finished unit's file is forwarded to.
  std::string forwardDir;
};

// Parses the command line; on a mistake returns nothing and sets `error`.
std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& args, std::string& error);

// The text of --help, with the operations of the station's operation table.
std::string CliUsage();

}  // namespace rz::cli
