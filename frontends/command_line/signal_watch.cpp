#include "signal_watch.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <ctime>

#include "operations/station.h"

namespace rz::cli {
namespace {

sigset_t StationSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&signals, signal);
  return signals;
}

// The size of the signal set the kernel takes (64 signals), smaller than
// the C library's sigset_t.
constexpr unsigned long kKernelSigsetBytes = 8;

// How often the watcher looks at its stop request, and presses ESC again while
// the run is to end (an operation may be made of several waits, and the next
// one may be starting just now).
constexpr long kPollNs = 50'000'000;

// Signals that reached a thread which had them unblocked (one a runtime or a
// library started before the mask was set), one bit per signal number. The
// handler only records them; the watcher acts on them as on the waited ones.
std::atomic<std::uint32_t> gCaught{0};
static_assert(std::atomic<std::uint32_t>::is_always_lock_free);

void RecordSignal(int signal) { gCaught.fetch_or(std::uint32_t{1} << signal); }

}  // namespace

void BlockStationSignals() {
  const sigset_t signals = StationSignals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  struct sigaction action {};
  action.sa_handler = RecordSignal;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaction(signal, &action, nullptr);
  ::signal(SIGPIPE, SIG_IGN);
}

namespace {

// An ordinary constructor runs only after the shared libraries' initialisers
// (the C++ runtime, the crypto and sound libraries: milliseconds at start),
// and a signal in that time would end the process unhandled. The executable's
// pre-initialisation array runs before all of them, right after loading: it
// blocks the signals with the bare system call (nothing of the C library or
// of a sanitizer's interceptors is ready yet), and the constructor then sets
// the handlers; a signal that came in between waits, blocked, for the watcher.
void BlockFirstOfAll() {
  sigset_t signals = StationSignals();
  ::syscall(SYS_rt_sigprocmask, SIG_BLOCK, &signals, nullptr, kKernelSigsetBytes);
}
[[gnu::section(".preinit_array"), gnu::used]] void (*const kBlockFirst)() = &BlockFirstOfAll;
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
  const auto bit = [](int signal) { return std::uint32_t{1} << signal; };
  while (!stop_.load()) {
    const int signal = sigtimedwait(&signals, nullptr, &poll);
    const std::uint32_t caught = gCaught.exchange(0);
    std::uint32_t received = caught;
    if (signal > 0) received |= bit(signal);
    // The waited signal and one caught by a handler are two presses.
    presses_.Add((signal == SIGINT ? 1 : 0) + ((caught & bit(SIGINT)) != 0 ? 1 : 0));
    presses_.Deliver(station.flags);
    if ((received & (bit(SIGTERM) | bit(SIGHUP) | bit(SIGQUIT))) != 0) terminate_.store(true);
    if (terminate_.load()) station.flags.RequestAbort();
  }
}

}  // namespace rz::cli
