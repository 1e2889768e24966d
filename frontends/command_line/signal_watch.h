#pragma once

#include <signal.h>

#include <atomic>
#include <cstdint>
#include <thread>

#include "app/station_flags.h"

namespace rz {
class Station;
}

namespace rz::cli {

// Ctrl-C presses not yet given to the station. Each becomes one ESC once the
// one before it has been taken (the abort flag is back to 0), so that presses
// close together end as many waits as there were presses, as ESC presses do.
class EscPresses {
 public:
  void Add(std::uint32_t count) { pending_.fetch_add(count); }
  // Presses ESC for the next pending press when the station has taken the last.
  void Deliver(StationFlags& flags) {
    if (pending_.load() > 0 && flags.abort.load() != 1) {
      pending_.fetch_sub(1);
      flags.RequestAbort();
    }
  }
  // Forgets presses the operation that has ended did not take.
  void Drop() { pending_.store(0); }

 private:
  std::atomic<std::uint32_t> pending_{0};
};

// The signals the command-line station takes over: Ctrl-C (SIGINT) is ESC;
// SIGTERM, SIGHUP (the terminal closed) and SIGQUIT end the run, which still
// writes its results log. SIGPIPE is ignored, so that a reader that goes away
// (`| head`) never loses the run or its log.
//
// BlockStationSignals() must run before anything else in the process, so that
// a signal in the first moments is held until the watcher takes it.
void BlockStationSignals();

// Takes the blocked signals on a thread of its own. The watcher only raises
// flags: it never writes the log and never outlives the station, because the
// owner stops (joins) it before the station goes away.
class SignalWatch {
 public:
  SignalWatch() = default;
  ~SignalWatch() { Stop(); }
  SignalWatch(const SignalWatch&) = delete;
  SignalWatch& operator=(const SignalWatch&) = delete;

  // Starts watching: from now on the signals press ESC on `station`.
  void Start(Station& station);
  // Stops and joins the watcher; safe to call twice.
  void Stop();
  // True once a signal asked the run to end.
  bool TerminateRequested() const { return terminate_.load(); }
  // Called between operations: a Ctrl-C belongs to the operation it was
  // pressed in, as an ESC press in the window does.
  void DropPendingPresses() { presses_.Drop(); }

 private:
  void Run(Station& station);

  EscPresses presses_;

  std::atomic<bool> stop_{false};
  std::atomic<bool> terminate_{false};
  std::thread thread_;
};

}  // namespace rz::cli
