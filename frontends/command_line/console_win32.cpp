// Console events on Windows, in place of POSIX signals: Ctrl-C and
// Ctrl-Break are ESC; closing the console window, logging off and shutting
// down end the run, which still writes its results log.

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdint>

#include "operations/station.h"
#include "signal_watch.h"

namespace rz::cli {
namespace {

constexpr std::uint32_t kTerminate = 2;

// How often the watcher looks at the events and at its stop request, and
// presses ESC again while the run is to end.
constexpr DWORD kPollMs = 50;

// Events since the watcher last looked, and the Ctrl-C (Ctrl-Break) presses
// among them. The handler runs on a thread the system starts for it, so it
// only records them.
std::atomic<std::uint32_t> gEvents{0};
std::atomic<std::uint32_t> gPresses{0};

BOOL WINAPI OnConsoleEvent(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      gPresses.fetch_add(1);
      return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      gEvents.fetch_or(kTerminate);
      // Returning would let the system end the process at once. Waiting here
      // lets main stop the operation and write the log; the process ends when
      // main returns (or when the system's own time limit runs out).
      ::Sleep(INFINITE);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void BlockStationSignals() {
  static const bool installed = ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE) != 0;  // once
  static_cast<void>(installed);
}

namespace {

// Installed already while the program is being initialised, before main.
[[gnu::constructor]] void HandleBeforeMain() { BlockStationSignals(); }

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
  while (!stop_.load()) {
    const std::uint32_t events = gEvents.exchange(0);
    presses_.Add(gPresses.exchange(0));
    presses_.Deliver(station.flags);
    if ((events & kTerminate) != 0) terminate_.store(true);
    if (terminate_.load()) station.flags.RequestAbort();
    ::Sleep(kPollMs);
  }
}

}  // namespace rz::cli
