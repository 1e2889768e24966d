#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace rz {

// Line settings: baud rate, data bits, parity (0 = none), stop bits (0 = one).
struct LineSettings {
  std::uint32_t baud = 115200;
  std::uint8_t dataBits = 8;
  std::uint8_t parity = 0;
  std::uint8_t stopBits = 0;
};

// One open serial device as the platform gives it. Backends: POSIX termios
// (serial_posix) and Win32 COM ports (serial_win32); tests may hand in
// scripted fakes.
class SerialDevice {
 public:
  virtual ~SerialDevice() = default;
  // Raw mode, the given rate and framing, no flow control, DTR and RTS held off.
  // Returns false with the reason when the device refuses the settings (an
  // unsupported rate, a failing driver call).
  virtual bool ApplyLineSettings(const LineSettings& settings, std::string& error) = 0;
  // Discards output not yet sent.
  virtual void PurgeOutput() = 0;
  // Discards input received and not yet read (including any buffered copy).
  virtual void PurgeInput() = 0;
  // Waits until the output written so far has left the station.
  virtual void Drain() = 0;
  // Writes up to n bytes; returns how many were written.
  virtual std::size_t Write(const std::uint8_t* data, std::size_t n) = 0;
  // Reads up to n bytes, waiting at most `timeout` for all of them (0: takes
  // only what has arrived); returns how many arrived. Every read that returns
  // fewer than n bytes has waited out its time-out, also when the device has
  // gone away.
  virtual std::size_t Read(std::uint8_t* data, std::size_t n, std::chrono::milliseconds timeout) = 0;
  // True once a read or a write found the device gone (a USB adapter pulled,
  // the far end of a pseudo-terminal closed): nothing will ever come through
  // it again. It stays true until the device is closed.
  virtual bool Gone() const { return false; }
};

// Opens serial devices by path.
class SerialBackend {
 public:
  virtual ~SerialBackend() = default;
  // Returns the device, or nullptr with `error` describing why.
  virtual std::unique_ptr<SerialDevice> Open(const std::string& path, std::string& error) = 0;
};

}  // namespace rz
