#include "link/watched_port.h"

#include "link/link_context.h"

namespace rz {

WatchedPort::WatchedPort(std::unique_ptr<SerialDevice> device, LinkContext& link)
    : device_(std::move(device)), link_(link) {}

bool WatchedPort::ApplyLineSettings(const LineSettings& settings, std::string& error) {
  silent_ = {};
  return device_->ApplyLineSettings(settings, error);
}

void WatchedPort::PurgeInput() {
  silent_ = {};
  device_->PurgeInput();
}

std::size_t WatchedPort::Write(const std::uint8_t* data, std::size_t n) {
  silent_ = {};
  const std::size_t written = device_->Write(data, n);
  CheckGone();
  return written;
}

std::size_t WatchedPort::Read(std::uint8_t* data, std::size_t n, std::chrono::milliseconds timeout) {
  const auto start = std::chrono::steady_clock::now();
  const std::size_t got = device_->Read(data, n, timeout);
  CheckGone();
  if (got > 0) {
    silent_ = {};
    return got;
  }
  silent_ += std::chrono::steady_clock::now() - start;
  const std::chrono::milliseconds limit = link_.silenceLimit;
  const bool unlimited = link_.boardWaitUnlimited && link_.awaitingBoard.load();
  if (limit.count() > 0 && !unlimited && silent_ >= limit && !link_.flags.AbortRequested()) {
    // Each wait gets the whole limit: the next one starts its count afresh.
    silent_ = {};
    link_.flags.RequestAbort();
    link_.SilenceEndedWait();
  }
  return got;
}

void WatchedPort::CheckGone() {
  if (device_->Gone()) link_.flags.portGone.store(true);
}

}  // namespace rz
