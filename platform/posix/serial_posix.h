#pragma once

#include "link/serial_device.h"

namespace rz {

// Serial devices on POSIX systems: termios in raw mode, poll() for the read
// time-outs, and a small input buffer so that one-byte reads seldom cost a
// system call.
class PosixSerialBackend final : public SerialBackend {
 public:
  std::unique_ptr<SerialDevice> Open(const std::string& path, std::string& error) override;
};

}  // namespace rz
