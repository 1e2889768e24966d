#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "link/serial_device.h"

namespace rz::testing {

// What a scripted port has seen and will answer; shared between the test and
// the device the station owns (the station may close and reopen it).
struct PortScript {
  std::mutex mutex;
  // Bytes the board "sends", delivered to reads in order.
  std::deque<std::uint8_t> incoming;
  // Every byte the station wrote, and the line rate it was written at.
  std::vector<std::uint8_t> written;
  // Bytes written and not yet gone out on the line, as in a real output queue:
  // a drain or the next read lets them go; an output purge before that
  // discards them into `discarded`.
  std::size_t pending = 0;
  std::vector<std::uint8_t> discarded;
  std::vector<std::uint32_t> writtenAtBaud;
  std::vector<LineSettings> settings;
  int reads = 0;          // read calls so far
  int purgesIn = 0;
  // Called on every read before it is served, with the read's number (from 1);
  // may add bytes or raise the abort flag.
  std::function<void(int)> onRead;
  // Called after every write with the bytes written so far.
  std::function<void(const std::vector<std::uint8_t>&)> onWrite;
  std::uint32_t baud = 0;
  std::uint32_t refusedBaud = 0;  // a line speed the device cannot set
  // Bytes the device takes before its output stalls (a board that stopped reading).
  std::size_t writeLimit = SIZE_MAX;

  void Feed(const std::vector<std::uint8_t>& bytes) {
    std::lock_guard lock(mutex);
    incoming.insert(incoming.end(), bytes.begin(), bytes.end());
  }
};

// Plays the operator pressing RESET: on the first read at 9600 baud (the
// download waiting for the boot ROM) the board sends `before` and then '<'.
// Any onRead hook already set keeps running after it.
inline void PressResetWhenWaiting(const std::shared_ptr<PortScript>& script, std::vector<std::uint8_t> before = {}) {
  before.push_back('<');
  auto previous = script->onRead;
  PortScript* raw = script.get();
  script->onRead = [raw, previous, before, pressed = false](int number) mutable {
    if (!pressed && raw->baud == 9600) {
      pressed = true;
      raw->Feed(before);
    }
    if (previous) previous(number);
  };
}

// A serial device that never waits: reads are served from the script at once,
// so tests of the wait loops count reads instead of spending 50 ms on each.
class ScriptedSerialDevice final : public SerialDevice {
 public:
  explicit ScriptedSerialDevice(std::shared_ptr<PortScript> script) : script_(std::move(script)) {}
  bool ApplyLineSettings(const LineSettings& settings, std::string& error) override {
    std::lock_guard lock(script_->mutex);
    if (settings.baud == script_->refusedBaud) {
      error = "line speed refused";
      return false;
    }
    script_->settings.push_back(settings);
    script_->baud = settings.baud;
    return true;
  }
  void PurgeOutput() override {
    std::lock_guard lock(script_->mutex);
    const auto unsent = script_->written.end() - static_cast<std::ptrdiff_t>(script_->pending);
    script_->discarded.insert(script_->discarded.end(), unsent, script_->written.end());
    script_->pending = 0;
  }
  void PurgeInput() override {
    std::lock_guard lock(script_->mutex);
    script_->incoming.clear();
    ++script_->purgesIn;
  }
  void Drain() override {
    std::lock_guard lock(script_->mutex);
    script_->pending = 0;
  }
  std::size_t Write(const std::uint8_t* data, std::size_t n) override {
    {
      std::lock_guard lock(script_->mutex);
      if (script_->written.size() + n > script_->writeLimit) return 0;
      for (std::size_t i = 0; i < n; ++i) {
        script_->written.push_back(data[i]);
        script_->writtenAtBaud.push_back(script_->baud);
      }
      script_->pending += n;
    }
    // Hooks are set before the operation starts and run on its thread, the
    // only thread that writes.
    if (script_->onWrite) script_->onWrite(script_->written);
    return n;
  }
  std::size_t Read(std::uint8_t* data, std::size_t n, std::chrono::milliseconds) override {
    int number = 0;
    {
      std::lock_guard lock(script_->mutex);
      number = ++script_->reads;
      script_->pending = 0;  // a read takes time: what was written has gone out
    }
    if (script_->onRead) script_->onRead(number);
    std::lock_guard lock(script_->mutex);
    std::size_t got = 0;
    while (got < n && !script_->incoming.empty()) {
      data[got++] = script_->incoming.front();
      script_->incoming.pop_front();
    }
    return got;
  }

 private:
  std::shared_ptr<PortScript> script_;
};

// Opens scripted devices by path; a path without a script fails to open.
class ScriptedSerialBackend final : public SerialBackend {
 public:
  std::shared_ptr<PortScript> Add(const std::string& path) {
    auto script = std::make_shared<PortScript>();
    scripts_[path] = script;
    return script;
  }
  std::unique_ptr<SerialDevice> Open(const std::string& path, std::string& error) override {
    const auto found = scripts_.find(path);
    if (found == scripts_.end()) {
      error = "no such device";
      return nullptr;
    }
    return std::make_unique<ScriptedSerialDevice>(found->second);
  }

 private:
  std::map<std::string, std::shared_ptr<PortScript>> scripts_;
};

}  // namespace rz::testing
