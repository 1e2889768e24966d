#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "app/station_flags.h"
#include "link/serial_channel.h"
#include "link/udp_channel.h"
#include "link/watched_port.h"

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
  // The port is watched (see WatchedPort): a device that goes away, or a
  // board silent for longer than `silenceLimit`, ends the wait in progress.
  void SetPort(std::unique_ptr<SerialDevice> device) {
    port.reset();
    flags.portGone.store(false);
    if (device) port = std::make_unique<WatchedPort>(std::move(device), *this);
    flags.portOpen.store(port != nullptr);
  }

  // Sleeps on the calling thread.
  void Sleep(std::chrono::milliseconds duration) { sleeper(duration); }

  // Called on the waiting thread when the board's silence has ended a wait as
  // ESC would (see silenceLimit).
  virtual void SilenceEndedWait() {}

  StationFlags flags;
  // How long the board may stay silent while a byte is awaited before the
  // wait ends as ESC ends it; zero: without limit (the windows, where the
  // operator presses ESC). Set before the first operation starts.
  std::chrono::milliseconds silenceLimit{0};
  // A download waits for the next board's boot ROM: set while it does. With
  // `boardWaitUnlimited` (the command line's loop over boards) that wait has
  // no silence limit, as nobody knows when the next board comes.
  std::atomic<bool> awaitingBoard{false};
  bool boardWaitUnlimited = false;
  std::unique_ptr<SerialDevice> port;
  UdpChannel udp;
  std::function<void(std::chrono::milliseconds)> sleeper = [](std::chrono::milliseconds d) {
    std::this_thread::sleep_for(d);
  };
};

}  // namespace rz
