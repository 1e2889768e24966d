#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "link/serial_device.h"

namespace rz {

// A port handle: the open device or nullptr (invalid).
using PortHandle = SerialDevice*;

inline constexpr std::uint32_t kStandardBaud = 115200;
inline constexpr std::uint32_t kReadTotalTimeoutMs = 50;

// Opens the device at `path` with 115200,8,n,1 and the 50 ms total read
// time-out, with nothing left in either direction. Returns nullptr with the
// reason (the path and what the system or the driver said) when it cannot.
std::unique_ptr<SerialDevice> OpenSerialPort(SerialBackend& backend, const std::string& path, std::string& reason);

void PurgeOutput(PortHandle port);
// Discards the input that has arrived and not been read.
void PurgePort(PortHandle port);
// Purges both directions, then sets rate, data bits, parity and stop bits.
// False when there is no port or the device refused the settings; then
// `refused`, when given, holds what the device said.
bool SetPortParams(PortHandle port, std::uint32_t baud, std::uint8_t dataBits, std::uint8_t parity,
                   std::uint8_t stopBits, std::string* refused = nullptr);
// All or nothing: n when all n bytes were written, else 0 (also for n = 0).
std::size_t SerialWrite(PortHandle port, const std::uint8_t* bytes, std::size_t n);
// All or nothing: n when all n bytes arrived within the read time-out, else 0
// (the bytes that did arrive are in the buffer). Without a port the read still
// takes its 50 ms, so that a wait loop over it never spins.
std::size_t SerialRead(PortHandle port, std::uint8_t* buffer, std::size_t n);

}  // namespace rz
