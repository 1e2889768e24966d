#include "signal_watch.h"

#include <ctime>

#include "app/station.h"

namespace rz::cli {
namespace {

sigset_t StationSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&signals, signal);
  return signals;
}

// How often the watcher looks at its stop request, and presses ESC again while
// the run is to end (an operation may be made of several waits, and the next
// one may be starting just now).
constexpr long kPollNs = 50'000'000;

}  // namespace

void BlockStationSignals() {
  const sigset_t signals = StationSignals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  ::signal(SIGPIPE, SIG_IGN);
}

namespace {

// Blocks them already while the program is being initialised, before main.
[[gnu::constructor]] void BlockBeforeMain() { BlockStationSignals(); }

}  // namespace

void SignalWatch::Start(Station& station) {
  stop_.store(false);
  thread_ = std::thread([this, &station] { Run(station); });
}

void SignalWatch::Stop() {
  stop_.store(true);
  if (thread_.joinable()) thread_.join();
}

void SignalWatch::Run(Station& station) {
  const sigset_t signals = StationSignals();
  const timespec poll{0, kPollNs};
  while (!stop_.load()) {
    const int signal = sigtimedwait(&signals, nullptr, &poll);
    if (signal == SIGINT) station.flags.RequestAbort();
    if (signal == SIGTERM || signal == SIGHUP || signal == SIGQUIT) terminate_.store(true);
    if (terminate_.load()) station.flags.RequestAbort();
  }
}

}  // namespace rz::cli
