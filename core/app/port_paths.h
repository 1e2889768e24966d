#pragma once

#include <string>

namespace rz {

// The devices that the names COM1 and COM2 stand for on this machine.
struct PortPaths {
  std::string com1 = "/dev/ttyS0";
  std::string com2 = "/dev/ttyS1";
};

}  // namespace rz
