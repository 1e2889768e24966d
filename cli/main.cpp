// rzstation-cli: the station's operations from the command line, for production
// lines and end-to-end tests. Same core, same operations as the window.

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <thread>

#include "app/results_log.h"
#include "app/startup.h"
#include "app/station.h"
#include "cli_operations.h"
#include "cli_options.h"
#include "cli_ui.h"
#include "posix/serial_posix.h"
#include "posix/udp_posix.h"
#include "sound/sound_device.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// How long SIGTERM waits for the running operation to notice the abort flag
// before the log is written regardless.
constexpr std::chrono::seconds kTerminateGrace{5};

std::atomic<bool> gTerminate{false};
std::atomic<bool> gRunOver{false};

// Ctrl-C (SIGINT) is ESC: it raises the abort flag and nothing more. SIGTERM
// also stops the run; the log is written and the program ends.
void WatchSignals(rz::Station& station, sigset_t signals) {
  for (;;) {
    int signal = 0;
    if (sigwait(&signals, &signal) != 0) continue;
    station.flags.RequestAbort();
    if (signal == SIGTERM) {
      gTerminate.store(true);
      // Keep pressing ESC until the run is over: an operation may consist of
      // several waits, and one may be starting just now.
      const auto giveUp = std::chrono::steady_clock::now() + kTerminateGrace;
      while (!gRunOver.load()) {
        if (std::chrono::steady_clock::now() > giveUp) {
          rz::WriteResultsLog(station);
          std::_Exit(kExitFailed);
        }
        station.runner.WaitFor(std::chrono::milliseconds(50));
        station.flags.RequestAbort();
      }
      return;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  const auto options = rz::cli::ParseCliOptions({argv + 1, argv + argc}, error);
  if (!options) {
    std::fprintf(stderr, "rzstation-cli: %s\n\n%s", error.c_str(), rz::cli::CliUsage().c_str());
    return kExitUsage;
  }
  if (options->help) {
    std::fputs(rz::cli::CliUsage().c_str(), stdout);
    return kExitOk;
  }

  // Signals are taken by one thread with sigwait, never by the workers.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  rz::cli::CliUi ui(stdout, stderr, ::isatty(STDOUT_FILENO) == 1);
  const auto sound = rz::MakeSoundDevice();
  rz::PosixSerialBackend serial;
  rz::PosixDatagramBackend datagrams;
  rz::Station station(ui, *sound, serial);
  station.udp.backend = &datagrams;
  station.udp.localAddress = options->localAddress;
  station.portPaths = options->ports;
  station.flags.serviceComVariant.store(options->serviceComVariant);
  station.flags.flashServiceMode.store(options->flashService ? 1 : 0);
  station.flags.soundOption.store(options->sound ? 1 : 0);

  if (!rz::StartStation(station, options->workDir)) return kExitUsage;
  ui.SetSelectorIndex(rz::Selector::Port, station.Port() ? rz::kPortEntryCom1 : rz::kPortEntryNone);
  std::thread(WatchSignals, std::ref(station), signals).detach();

  int status = kExitOk;
  for (const rz::cli::ParsedOperation& operation : options->operations) {
    if (gTerminate.load()) break;
    const rz::Outcome outcome = rz::cli::RunOperation(station, operation);
    ui.FlushJournal();
    if (outcome != rz::Outcome::Success) {
      status = kExitFailed;
      if (!options->keepGoing) break;
    }
  }
  gRunOver.store(true);
  if (gTerminate.load()) status = kExitFailed;
  if (!rz::WriteResultsLog(station)) status = kExitFailed;
  rz::StopStation(station);
  return status;
}
