#pragma once

#include <memory>

#include "link/datagram_socket.h"
#include "link/serial_device.h"

namespace rz {

// The serial ports and datagram sockets of the system the station was built
// for (posix/ or win32/).
std::unique_ptr<SerialBackend> MakeSerialBackend();
std::unique_ptr<DatagramBackend> MakeDatagramBackend();

}  // namespace rz
