#pragma once

// The platform's real serial port and datagram backends, by one name on every
// system the tests run on.

#if defined(_WIN32)
#include "win32/serial_win32.h"
#include "win32/udp_win32.h"
#else
#include "posix/serial_posix.h"
#include "posix/udp_posix.h"
#endif

namespace rz::testing {

#if defined(_WIN32)
using PlatformSerialBackend = Win32SerialBackend;
using PlatformDatagramBackend = Win32DatagramBackend;
#else
using PlatformSerialBackend = PosixSerialBackend;
using PlatformDatagramBackend = PosixDatagramBackend;
#endif

}  // namespace rz::testing
