#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "app/outcome.h"
#include "link/serial_device.h"

namespace rz {

class Station;

// The devices that the names COM1 and COM2 stand for on this machine.
struct PortPaths {
  std::string com1 = "/dev/ttyS0";
  std::string com2 = "/dev/ttyS1";
};

// A port handle: the open device or nullptr (invalid).
using PortHandle = SerialDevice*;

inline constexpr std::uint32_t kStandardBaud = 115200;
inline constexpr std::uint32_t kReadTotalTimeoutMs = 50;

// Opens COM1 (n = 1) or COM2 (n = 2) with 115200,8,n,1 and the 50 ms total read
// time-out. On failure shows "Ошибка открытия <COMn>" and returns nullptr.
std::unique_ptr<SerialDevice> OpenPort(Station& station, int n);

void PurgeOutput(PortHandle port);
// Discards the input that has arrived and not been read.
void PurgePort(PortHandle port);
// Purges both directions, then sets rate, data bits, parity and stop bits.
// False when there is no port or the device refused the settings.
bool SetPortParams(PortHandle port, std::uint32_t baud, std::uint8_t dataBits, std::uint8_t parity,
                   std::uint8_t stopBits);
// All or nothing: n when all n bytes were written, else 0 (also for n = 0).
std::size_t SerialWrite(PortHandle port, const std::uint8_t* bytes, std::size_t n);
// All or nothing: n when all n bytes arrived within the read time-out, else 0
// (the bytes that did arrive are in the buffer). Without a port the read still
// takes its 50 ms, so that a wait loop over it never spins.
std::size_t SerialRead(PortHandle port, std::uint8_t* buffer, std::size_t n);

// The worker of the port selector: closes the port and opens the one selected.
// Succeeds when the selected entry was opened or "NONE" was selected.
Outcome ReselectPort(Station& station);

}  // namespace rz
