#pragma once

#include <atomic>
#include <cstdint>

namespace rz {

// The small pieces of process-wide state that the window thread and the worker
// thread share. Each is written by one side and polled by the other; atomics give
// the behaviour of plain polled integers without the data race.
struct StationFlags {
  // 1 = the running operation must stop. Only the value 1 counts as set.
  std::atomic<std::int32_t> abort{0};
  // 1 = run the operation entered in the debug window (set by ENTER).
  std::atomic<std::int32_t> runRequest{0};
  // 1 = the operator asked to change the external COM test parameters (SPACE).
  std::atomic<std::int32_t> paramsRequest{0};
  // 0 = no external COM test, 1 = test running, 2 = paused for new parameters.
  std::atomic<std::uint8_t> extComPhase{0};
  // Number 1..12 of the operation button that started the running operation.
  std::atomic<std::uint8_t> focusIndex{1};
  // Options toggled by single keys, kept for one run only.
  std::atomic<std::int32_t> serviceComVariant{1};  // 1 = "v7", other = "v5"
  std::atomic<std::int32_t> flashServiceMode{0};   // 1 = on
  std::atomic<std::int32_t> soundOption{0};        // 1 = end-of-operation signal
  std::atomic<std::int32_t> verifyWrites{0};       // 1 = writes over COM are read back

  // Set by a front end that nobody watches (the command line): while no port
  // is open, every wait for the board ends as if ESC had been pressed.
  std::atomic<bool> escWhileNoPort{false};
  // Whether a serial port is open (kept by Station::SetPort).
  std::atomic<bool> portOpen{false};
  // The open port's device has gone away (set by the port's watch, cleared
  // when another port, or none, is set): every wait ends at once.
  std::atomic<bool> portGone{false};

  bool AbortRequested() const {
    return abort.load() == 1 || portGone.load() || (escWhileNoPort.load() && !portOpen.load());
  }
  void ClearAbort() { abort.store(0); }
  void RequestAbort() { abort.store(1); }
};

// A toggle sets the option to 0 when it is 1 and to 1 otherwise.
inline void ToggleOption(std::atomic<std::int32_t>& option) {
  option.store(option.load() == 1 ? 0 : 1);
}

}  // namespace rz
