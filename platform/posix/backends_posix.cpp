#include "posix/serial_posix.h"
#include "posix/udp_posix.h"
#include "system_backends.h"

namespace rz {

std::unique_ptr<SerialBackend> MakeSerialBackend() { return std::make_unique<PosixSerialBackend>(); }
std::unique_ptr<DatagramBackend> MakeDatagramBackend() { return std::make_unique<PosixDatagramBackend>(); }

}  // namespace rz
