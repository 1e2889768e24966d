#pragma once

#include <string>
#include <vector>

namespace rz::cli {

// A serial device of the machine, as sysfs describes it.
struct SerialPortInfo {
  std::string device;        // e.g. "/dev/ttyUSB0"
  bool usb = false;          // a USB adapter (the fields below are its USB device's)
  std::string vendorId;      // "0403"
  std::string productId;     // "6001"
  std::string manufacturer;  // "FTDI"
  std::string product;       // "FT232R USB UART"; the friendly name on Windows
  std::string serial;        // "A10K3X4B"
  std::string driver;        // "ftdi_sio", "serial8250", ...
};

// The serial devices under `sysfsRoot` (normally "/sys"): every tty of
// class/tty backed by a device, built-in UARTs only when a chip answers
// (their "type" is not 0), in natural name order ("ttyS2" before "ttyS10").
std::vector<SerialPortInfo> ListSerialPorts(const std::string& sysfsRoot, const std::string& devDir = "/dev");

// The listing --list-ports prints: one line a device.
std::string FormatPortList(const std::vector<SerialPortInfo>& ports);

}  // namespace rz::cli
