#pragma once

#include <chrono>
#include <memory>

#include "link/serial_device.h"

namespace rz {

class LinkContext;

// The open port as the station's waits see it: the platform's device, watched
// on every read and write. Every wait for the board reads through here and
// looks at the abort flags after each read, so one watch ends them all:
//  - a device that has gone away raises the port-gone flag, which ends the
//    wait in progress and every later one until the port is replaced;
//  - reads that bring nothing add up the board's silence (a byte that arrives,
//    a request written or the line set anew starts it afresh); once it reaches
//    the context's silence limit the wait ends as ESC ends it, and the
//    context hears of it.
class WatchedPort final : public SerialDevice {
 public:
  WatchedPort(std::unique_ptr<SerialDevice> device, LinkContext& link);

  bool ApplyLineSettings(const LineSettings& settings, std::string& error) override;
  void PurgeOutput() override { device_->PurgeOutput(); }
  void PurgeInput() override;
  void Drain() override { device_->Drain(); }
  std::size_t Write(const std::uint8_t* data, std::size_t n) override;
  std::size_t Read(std::uint8_t* data, std::size_t n, std::chrono::milliseconds timeout) override;
  bool Gone() const override { return device_->Gone(); }

 private:
  void CheckGone();

  std::unique_ptr<SerialDevice> device_;
  LinkContext& link_;
  std::chrono::steady_clock::duration silent_{};
};

}  // namespace rz
