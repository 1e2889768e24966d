#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "app/station_flags.h"
#include "link/serial_channel.h"
#include "link/udp_channel.h"

namespace rz {

// What the transport works with: the flags a wait watches (ESC above all),
// the one open serial port, the UDP channel, and a sleeper for the pauses of
// the protocol (replaceable, so that tests need not wait). The station's
// context builds on it; tests of the transport can use it alone.
class LinkContext {
 public:
  LinkContext() = default;
  LinkContext(const LinkContext&) = delete;
  LinkContext& operator=(const LinkContext&) = delete;
  virtual ~LinkContext() = default;

  // The one open serial port, or nullptr.
  PortHandle Port() { return port.get(); }
  // Makes `device` the open port (nullptr: none), closing the previous one.
  void SetPort(std::unique_ptr<SerialDevice> device) {
    port = std::move(device);
    flags.portOpen.store(port != nullptr);
  }

  // Sleeps on the calling thread.
  void Sleep(std::chrono::milliseconds duration) { sleeper(duration); }

  StationFlags flags;
  std::unique_ptr<SerialDevice> port;
  UdpChannel udp;
  std::function<void(std::chrono::milliseconds)> sleeper = [](std::chrono::milliseconds d) {
    std::this_thread::sleep_for(d);
  };
};

}  // namespace rz
