#include "link/serial_channel.h"

#include <thread>

namespace rz {

std::unique_ptr<SerialDevice> OpenSerialPort(SerialBackend& backend, const std::string& path, std::string& reason) {
  std::unique_ptr<SerialDevice> port = backend.Open(path, reason);
  if (!port) return nullptr;
  // Bytes sent to the device while nobody had it open are stale.
  PurgeOutput(port.get());
  PurgePort(port.get());
  std::string refused;
  if (!port->ApplyLineSettings({kStandardBaud, 8, 0, 0}, refused)) {
    reason = path + ": " + refused;
    return nullptr;
  }
  return port;
}

void PurgeOutput(PortHandle port) {
  if (port != nullptr) port->PurgeOutput();
}

void PurgePort(PortHandle port) {
  if (port != nullptr) port->PurgeInput();
}

bool SetPortParams(PortHandle port, std::uint32_t baud, std::uint8_t dataBits, std::uint8_t parity,
                   std::uint8_t stopBits, std::string* refused) {
  if (port == nullptr) return false;
  PurgeOutput(port);
  PurgePort(port);
  std::string reason;
  const bool applied = port->ApplyLineSettings({baud, dataBits, parity, stopBits}, reason);
  if (refused != nullptr) *refused = reason;
  return applied;
}

std::size_t SerialWrite(PortHandle port, const std::uint8_t* bytes, std::size_t n) {
  if (port == nullptr || n == 0) return 0;
  return port->Write(bytes, n) == n ? n : 0;
}

std::size_t SerialRead(PortHandle port, std::uint8_t* buffer, std::size_t n) {
  if (n == 0) return 0;
  if (port == nullptr) {
    // No port: nothing can arrive, but the read still lasts as long as a read
    // that timed out, so that waits polling the abort flag do not spin.
    std::this_thread::sleep_for(std::chrono::milliseconds(kReadTotalTimeoutMs));
    return 0;
  }
  return port->Read(buffer, n, std::chrono::milliseconds(kReadTotalTimeoutMs)) == n ? n : 0;
}

}  // namespace rz
