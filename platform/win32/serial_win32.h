#pragma once

#include "link/serial_device.h"

namespace rz {

// The number n of a port name "COMn" (any case, up to six digits, no
// leading zero), 0 for any other name.
int ComPortNumber(const std::string& name);

// Serial ports on Windows: COMn opened exclusively through CreateFileW on
// \\.\COMn, the line set through a DCB, the read time-outs as COMMTIMEOUTS,
// and the same small input buffer as on POSIX, filled with what has already
// arrived so that one-byte reads seldom cost a system call.
class Win32SerialBackend final : public SerialBackend {
 public:
  // `path` is COM1..COM256 (any case) or a device path such as \\.\COM12.
  std::unique_ptr<SerialDevice> Open(const std::string& path, std::string& error) override;
};

}  // namespace rz
