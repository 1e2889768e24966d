// Port discovery over a made-up sysfs tree shaped like the kernel's.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "port_list.h"
#include "station_fixture.h"

namespace rz::testing {
namespace {

namespace fs = std::filesystem;

class FakeSysfs {
 public:
  explicit FakeSysfs(const std::string& root) : root_(root) {}
  void File(const std::string& path, const std::string& content) const {
    fs::create_directories((root_ / path).parent_path());
    std::ofstream(root_ / path) << content << "\n";
  }
  // A link at `path` to `target` (both under the root), relative as sysfs has them.
  void Link(const std::string& path, const std::string& target) const {
    fs::create_directories((root_ / path).parent_path());
    fs::create_directories(root_ / target);
    fs::create_directory_symlink(fs::relative(root_ / target, (root_ / path).parent_path()), root_ / path);
  }
  // A tty of class/tty whose device is `device`, driven by `driver` on `bus`.
  void Tty(const std::string& name, const std::string& device, const std::string& bus, const std::string& driver) const {
    fs::create_directories(root_ / "class/tty" / name);
    if (device.empty()) return;
    Link("class/tty/" + name + "/device", device);
    Link(device + "/subsystem", "bus/" + bus);
    Link(device + "/driver", "bus/" + bus + "/drivers/" + driver);
  }

 private:
  fs::path root_;
};

TEST(PortList, UsbAdaptersWithTheirIdsAndBuiltInPortsThatAnswer) {
  TempDir dir;
  const FakeSysfs sys(dir.Path());
  // Built-in UARTs behind the generic serial port layer, the driver above it.
  for (const std::string n : {"0", "1", "10"}) {
    const std::string device = "devices/pnp0/00:0" + n + "/00:0" + n + ":0/00:0" + n + ":0.0";
    sys.Tty("ttyS" + n, device, "serial-base", "port");
    sys.Link("devices/pnp0/00:0" + n + "/driver", "bus/pnp/drivers/serial");
    sys.File("class/tty/ttyS" + n + "/type", n == "1" ? "0" : "4");  // no chip at ttyS1
  }
  sys.Tty("tty0", "", "", "");  // a virtual terminal
  sys.Tty("ttyUSB0", "devices/pci0000:00/usb1/1-1/1-1:1.0/ttyUSB0", "usb-serial", "ftdi_sio");
  sys.File("devices/pci0000:00/usb1/1-1/idVendor", "0403");
  sys.File("devices/pci0000:00/usb1/1-1/idProduct", "6001");
  sys.File("devices/pci0000:00/usb1/1-1/manufacturer", "FTDI");
  sys.File("devices/pci0000:00/usb1/1-1/product", "FT232R USB UART");
  sys.File("devices/pci0000:00/usb1/1-1/serial", "A10K3X4B");
  sys.Tty("ttyACM0", "devices/pci0000:00/usb1/1-2/1-2:1.0", "usb", "cdc_acm");
  sys.File("devices/pci0000:00/usb1/1-2/idVendor", "2341");
  sys.File("devices/pci0000:00/usb1/1-2/idProduct", "0043");

  const auto ports = cli::ListSerialPorts(dir.Path(), "/dev");
  std::vector<std::string> devices;
  for (const auto& port : ports) devices.push_back(port.device);
  EXPECT_EQ(devices, (std::vector<std::string>{"/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyS10", "/dev/ttyUSB0"}));
  ASSERT_EQ(ports.size(), 4u);
  EXPECT_TRUE(ports[0].usb);
  EXPECT_EQ(ports[0].driver, "cdc_acm");
  EXPECT_EQ(ports[0].serial, "");
  EXPECT_FALSE(ports[1].usb);
  EXPECT_EQ(ports[1].driver, "serial");
  const auto& ftdi = ports[3];
  EXPECT_TRUE(ftdi.usb);
  EXPECT_EQ(ftdi.vendorId + ":" + ftdi.productId, "0403:6001");
  EXPECT_EQ(ftdi.manufacturer, "FTDI");
  EXPECT_EQ(ftdi.product, "FT232R USB UART");
  EXPECT_EQ(ftdi.serial, "A10K3X4B");
  EXPECT_EQ(ftdi.driver, "ftdi_sio");

  const std::string listing = cli::FormatPortList(ports);
  EXPECT_NE(listing.find("/dev/ttyUSB0  USB 0403:6001 FTDI FT232R USB UART, serial A10K3X4B (ftdi_sio)\n"),
            std::string::npos)
      << listing;
  EXPECT_NE(listing.find("/dev/ttyS0    built-in (serial)\n"), std::string::npos) << listing;
}

TEST(PortList, NoTreeNoPorts) {
  TempDir dir;
  EXPECT_TRUE(cli::ListSerialPorts(dir.File("nothing")).empty());
  EXPECT_EQ(cli::FormatPortList({}), "No serial ports found.\n");
}

}  // namespace
}  // namespace rz::testing
