// --list-ports on Windows: the devices of the Ports class through SetupAPI
// (name, friendly name, manufacturer, USB vendor and product ID, serial
// number, driver), and any port that only the SERIALCOMM registry key names
// (virtual ports, ports of drivers without a device entry).

#include <windows.h>
#include <initguid.h>
#include <devguid.h>
#include <setupapi.h>

#include <algorithm>
#include <cwctype>

#include "cli_platform.h"
#include "port_list.h"
#include "win32/win32_text.h"

namespace rz::cli {
namespace {

// A registry string of the device (REG_SZ or the first string of REG_MULTI_SZ).
std::wstring DeviceProperty(HDEVINFO devices, SP_DEVINFO_DATA& device, DWORD property) {
  wchar_t buffer[512] = {};
  DWORD type = 0;
  if (!::SetupDiGetDeviceRegistryPropertyW(devices, &device, property, &type, reinterpret_cast<BYTE*>(buffer),
                                           sizeof buffer - sizeof(wchar_t), nullptr)) {
    return {};
  }
  return buffer;
}

std::wstring RegistryString(HKEY key, const wchar_t* name) {
  wchar_t buffer[256] = {};
  DWORD size = sizeof buffer - sizeof(wchar_t);
  DWORD type = 0;
  if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS ||
      type != REG_SZ) {
    return {};
  }
  return buffer;
}

// The four hex digits after `tag` ("VID_", "PID_") in a hardware ID.
std::string IdAfter(const std::wstring& hardwareId, const wchar_t* tag) {
  std::wstring upper = hardwareId;
  std::transform(upper.begin(), upper.end(), upper.begin(), [](wchar_t c) { return std::towupper(c); });
  const std::size_t at = upper.find(tag);
  if (at == std::wstring::npos) return {};
  return win32::Utf8(upper.substr(at + std::wcslen(tag), 4));
}

void AddSetupApiPorts(std::vector<SerialPortInfo>& ports) {
  const HDEVINFO devices = ::SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
  if (devices == INVALID_HANDLE_VALUE) return;
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof device;
  for (DWORD index = 0; ::SetupDiEnumDeviceInfo(devices, index, &device); ++index) {
    const HKEY key = ::SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (key == INVALID_HANDLE_VALUE) continue;
    const std::wstring portName = RegistryString(key, L"PortName");
    ::RegCloseKey(key);
    if (portName.rfind(L"COM", 0) != 0) continue;  // printer ports share the class

    SerialPortInfo port;
    port.device = win32::Utf8(portName);
    port.product = win32::Utf8(DeviceProperty(devices, device, SPDRP_FRIENDLYNAME));
    port.manufacturer = win32::Utf8(DeviceProperty(devices, device, SPDRP_MFG));
    port.driver = win32::Utf8(DeviceProperty(devices, device, SPDRP_SERVICE));
    const std::wstring hardwareId = DeviceProperty(devices, device, SPDRP_HARDWAREID);
    port.vendorId = IdAfter(hardwareId, L"VID_");
    port.productId = IdAfter(hardwareId, L"PID_");
    port.usb = !port.vendorId.empty();
    // A USB device's instance ID ends in its serial number (when it has one).
    wchar_t instance[512] = {};
    if (port.usb && ::SetupDiGetDeviceInstanceIdW(devices, &device, instance, std::size(instance) - 1, nullptr)) {
      const std::wstring id = instance;
      const std::size_t slash = id.rfind(L'\\');
      if (slash != std::wstring::npos && id.find(L'&', slash) == std::wstring::npos) {
        port.serial = win32::Utf8(id.substr(slash + 1));
      }
    }
    ports.push_back(std::move(port));
  }
  ::SetupDiDestroyDeviceInfoList(devices);
}

void AddSerialCommPorts(std::vector<SerialPortInfo>& ports) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return;
  }
  for (DWORD index = 0;; ++index) {
    wchar_t name[256] = {};
    wchar_t data[256] = {};
    DWORD nameLength = static_cast<DWORD>(std::size(name));
    DWORD dataSize = sizeof data - sizeof(wchar_t);
    DWORD type = 0;
    const LONG status =
        ::RegEnumValueW(key, index, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS || type != REG_SZ) continue;
    const std::string device = win32::Utf8(data, std::wcslen(data));
    const bool known = std::any_of(ports.begin(), ports.end(), [&](const SerialPortInfo& p) { return p.device == device; });
    if (known) continue;
    SerialPortInfo port;
    port.device = device;
    port.driver = win32::Utf8(name, nameLength);  // the kernel's device, e.g. \Device\Serial0
    ports.push_back(std::move(port));
  }
  ::RegCloseKey(key);
}

}  // namespace

std::string SystemPortList() {
  std::vector<SerialPortInfo> ports;
  AddSetupApiPorts(ports);
  AddSerialCommPorts(ports);
  // COM2 before COM10: shorter names first, then by text.
  std::sort(ports.begin(), ports.end(), [](const SerialPortInfo& a, const SerialPortInfo& b) {
    return a.device.size() != b.device.size() ? a.device.size() < b.device.size() : a.device < b.device;
  });
  return FormatPortList(ports);
}

}  // namespace rz::cli
