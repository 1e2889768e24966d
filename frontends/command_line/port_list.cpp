#include "port_list.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

namespace rz::cli {
namespace {

namespace fs = std::filesystem;

// The first line of a sysfs attribute, without its newline; empty if absent.
std::string Attribute(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) line.pop_back();
  return line;
}

// The name a sysfs link points to ("driver" -> ".../drivers/ftdi_sio").
std::string LinkName(const fs::path& link) {
  std::error_code error;
  const fs::path target = fs::read_symlink(link, error);
  return error ? std::string() : target.filename().string();
}

// "ttyS10" sorts after "ttyS2": letters compare as text, digit runs as numbers.
bool NaturalLess(const std::string& a, const std::string& b) {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    if (std::isdigit(static_cast<unsigned char>(a[i])) && std::isdigit(static_cast<unsigned char>(b[j]))) {
      std::size_t ie = i;
      std::size_t je = j;
      while (ie < a.size() && std::isdigit(static_cast<unsigned char>(a[ie]))) ++ie;
      while (je < b.size() && std::isdigit(static_cast<unsigned char>(b[je]))) ++je;
      const std::string na = a.substr(i, ie - i);
      const std::string nb = b.substr(j, je - j);
      if (na.size() != nb.size()) return na.size() < nb.size();
      if (na != nb) return na < nb;
      i = ie;
      j = je;
    } else {
      if (a[i] != b[j]) return a[i] < b[j];
      ++i;
      ++j;
    }
  }
  return a.size() - i < b.size() - j;
}

}  // namespace

std::vector<SerialPortInfo> ListSerialPorts(const std::string& sysfsRoot, const std::string& devDir) {
  std::vector<std::pair<std::string, SerialPortInfo>> found;
  std::error_code error;
  const fs::path classDir = fs::path(sysfsRoot) / "class" / "tty";
  for (const fs::directory_entry& entry : fs::directory_iterator(classDir, error)) {
    const fs::path tty = entry.path();
    const std::string name = tty.filename().string();
    // Virtual terminals and pseudo-terminals have no device behind them.
    if (!fs::exists(tty / "device", error)) continue;
    // The kernel keeps a tty for every UART slot it reserves; "type" 0 says no
    // chip answered there.
    if (fs::exists(tty / "type", error) && Attribute(tty / "type") == "0") continue;

    SerialPortInfo port;
    port.device = devDir + "/" + name;
    // Walking up from the tty's device: the driver is the first one that is
    // not the kernel's generic serial port layer ("serial-base"); a USB
    // adapter's USB device (the one with idVendor) is an ancestor of the
    // interface the tty hangs off.
    fs::path device = fs::canonical(tty / "device", error);
    for (int depth = 0; !error && depth < 8 && device.has_relative_path(); ++depth) {
      if (port.driver.empty() && LinkName(device / "subsystem") != "serial-base") {
        port.driver = LinkName(device / "driver");
      }
      if (fs::exists(device / "idVendor", error)) {
        port.usb = true;
        port.vendorId = Attribute(device / "idVendor");
        port.productId = Attribute(device / "idProduct");
        port.manufacturer = Attribute(device / "manufacturer");
        port.product = Attribute(device / "product");
        port.serial = Attribute(device / "serial");
        break;
      }
      device = device.parent_path();
    }
    error.clear();
    found.emplace_back(name, std::move(port));
  }
  std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return NaturalLess(a.first, b.first); });
  std::vector<SerialPortInfo> ports;
  for (auto& [name, port] : found) ports.push_back(std::move(port));
  return ports;
}

std::string FormatPortList(const std::vector<SerialPortInfo>& ports) {
  if (ports.empty()) return "No serial ports found.\n";
  std::size_t width = 0;
  for (const SerialPortInfo& port : ports) width = std::max(width, port.device.size());
  std::string out;
  for (const SerialPortInfo& port : ports) {
    std::string line = port.device + std::string(width + 2 - port.device.size(), ' ');
    if (port.usb) {
      line += "USB " + port.vendorId + ":" + port.productId;
      for (const std::string* field : {&port.manufacturer, &port.product}) {
        if (!field->empty()) line += " " + *field;
      }
      if (!port.serial.empty()) line += ", serial " + port.serial;
    } else {
      line += "built-in";
      if (!port.product.empty()) line += " " + port.product;
    }
    if (!port.driver.empty()) line += " (" + port.driver + ")";
    out += line + "\n";
  }
  return out;
}

}  // namespace rz::cli
