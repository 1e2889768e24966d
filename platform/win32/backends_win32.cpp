#include "system_backends.h"
#include "win32/serial_win32.h"
#include "win32/udp_win32.h"

namespace rz {

std::unique_ptr<SerialBackend> MakeSerialBackend() { return std::make_unique<Win32SerialBackend>(); }
std::unique_ptr<DatagramBackend> MakeDatagramBackend() { return std::make_unique<Win32DatagramBackend>(); }

}  // namespace rz
