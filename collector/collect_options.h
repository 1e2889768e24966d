#pragma once

#include <optional>
#include <string>
#include <vector>

#include "forward_folder.h"

namespace rz::collect {

struct CollectOptions {
  Folders folders;
  std::string conninfo;  // empty: libpq's environment
  bool once = false;
  int intervalSeconds = 60;
  bool help = false;
  bool version = false;
};

std::string CollectUsage();

// The options of a command line (without the program's name); nullopt with
// the reason for a wrong one.
std::optional<CollectOptions> ParseCollectOptions(const std::vector<std::string>& args, std::string& error);

}  // namespace rz::collect
