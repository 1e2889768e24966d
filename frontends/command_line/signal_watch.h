#pragma once

#include <signal.h>

#include <atomic>
#include <thread>

namespace rz {
class Station;
}

namespace rz::cli {

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

 private:
  void Run(Station& station);

  std::atomic<bool> stop_{false};
  std::atomic<bool> terminate_{false};
  std::thread thread_;
};

}  // namespace rz::cli
