#pragma once

#include <string>

namespace rz {

// A debug console run asked for up front, as the command line does: either the
// interactive console, or one operation on one target with the three field
// texts as they would be typed (then it runs as ENTER in target mode would).
struct DebugRequest {
  bool interactive = false;
  int target = 0;  // target number 1..5 for a single operation
  std::string operation;
  std::string address;
  std::string data;
};

}  // namespace rz
