// rzstation-cli: the station's operations from the command line, for production
// lines and end-to-end tests. Same core, same operations as the window.

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "app/host_system.h"
#include "cli_boards.h"
#include "cli_history.h"
#include "cli_report.h"
#include "cli_operations.h"
#include "cli_options.h"
#include "cli_platform.h"
#include "cli_ui.h"
#include "operations/operation_table.h"
#include "session/exit_status.h"
#include "session/startup.h"
#include "session/station_session.h"
#include "signal_watch.h"
#include "sound/sound_device.h"
#include "system_backends.h"

namespace {

using rz::kExitFailed;
using rz::kExitOk;
using rz::kExitUsage;

}  // namespace

int main(int argc, char** argv) {
  // First of all, so that no signal can end the process before it is handled.
  rz::cli::BlockStationSignals();
  rz::cli::PrepareConsole();

  std::string error;
  const std::vector<std::string> args = rz::cli::CommandLineArguments(argc, argv);
  if (!args.empty() && args.front() == "history") {
    return rz::cli::RunHistoryCommand({args.begin() + 1, args.end()}, rz::PlatformHostSystem(), stdout, stderr);
  }
  if (!args.empty() && args.front() == "report") {
    return rz::cli::RunReportCommand({args.begin() + 1, args.end()}, rz::PlatformHostSystem(), stdout, stderr);
  }
  const auto options = rz::cli::ParseCliOptions(args, error);
  if (!options) {
    std::fprintf(stderr, "rzstation-cli: %s\n\n%s", error.c_str(), rz::cli::CliUsage().c_str());
    return kExitUsage;
  }
  if (options->help) {
    std::fputs(rz::cli::CliUsage().c_str(), stdout);
    return kExitOk;
  }
  if (options->listPorts) {
    std::fputs(rz::cli::SystemPortList().c_str(), stdout);
    return kExitOk;
  }

  rz::cli::CliUi ui(stdout, stderr, rz::cli::CanRedrawInPlace(stdout));
  const auto sound = rz::MakeSoundDevice();
  const auto serial = rz::MakeSerialBackend();
  const auto datagrams = rz::MakeDatagramBackend();
  rz::StationSession session(ui, {*serial, datagrams.get(), *sound},
                             {.program = "rzstation-cli",
                              .workDir = options->workDir,
                              .portPaths = options->ports,
                              .localAddress = options->localAddress,
                              .record = {options->recordPath, options->junitPath},
                              .labels = {options->station, options->operatorName},
                              .serial = {},
                              .transferFiles = rz::cli::TransferFiles(options->operations),
                              .serviceComVariant = options->serviceComVariant,
                              .flashServiceMode = options->flashService,
                              .endSignal = options->sound,
                              .verifyWrites = options->verifyWrites,
                              .verifyUdpWrites = options->verifyUdpWrites,
                              .unattended = true,
                              .silenceLimit = options->silenceLimit,
                              .profilePath = options->profilePath,
                              .autoSequence = false,
                              .boardWaitUnlimited = options->waitBoard,
                              .history = options->history,
                              .historyDir = options->historyDir,
                              .forwardDir = options->forwardDir});
  if (!session.Start(error)) {
    if (!error.empty()) std::fprintf(stderr, "rzstation-cli: %s\n", error.c_str());
    return kExitUsage;
  }
  rz::Station& station = session.GetStation();
  ui.SetSelectorIndex(rz::Selector::Port, station.Port() ? rz::kPortEntryCom1 : rz::kPortEntryNone);

  // Declared after the station, so that it is stopped before the station goes.
  rz::cli::SignalWatch watch;
  watch.Start(station);
  std::chrono::steady_clock::time_point giveUpAt = std::chrono::steady_clock::time_point::max();
  const auto abandon = [&] {
    if (!watch.TerminateRequested()) return false;
    const auto now = std::chrono::steady_clock::now();
    if (giveUpAt == std::chrono::steady_clock::time_point::max()) giveUpAt = now + rz::cli::TerminateGrace();
    return now >= giveUpAt;
  };

  int status = kExitOk;
  if (session.GetProfile() != nullptr) {
    status = rz::cli::RunBoards(session, *options, ui,
                                {[&] { return watch.TerminateRequested(); }, abandon,
                                 [&] { watch.DropPendingPresses(); }});
  }
  for (const rz::cli::ParsedOperation& operation : options->operations) {
    if (watch.TerminateRequested()) break;
    if (!operation.serial.empty()) session.SetNextSerial(operation.serial);
    // A port that vanishes during the operation is reported by the operation.
    const bool portBefore = station.Port() != nullptr;
    const std::optional<rz::Outcome> outcome = rz::cli::RunOperation(station, operation, abandon);
    ui.FlushJournal();
    watch.DropPendingPresses();
    if (!outcome) {
      // The operation did not stop in time: keep what it reported and leave
      // without waiting for it (its thread ends with the process).
      rz::WriteResultsLog(station);
      std::_Exit(kExitFailed);
    }
    if (*outcome != rz::Outcome::Success && station.Port() == nullptr && !portBefore &&
        operation.row->control != rz::ControlKind::PortSelector && !watch.TerminateRequested()) {
      std::fprintf(stderr, "rzstation-cli: нет открытого порта: операция %s прервана, как по <ESC>\n",
                   operation.word.c_str());
    }
    if (*outcome != rz::Outcome::Success) {
      status = kExitFailed;
      if (!options->keepGoing) break;
    }
  }
  watch.Stop();
  if (watch.TerminateRequested()) status = kExitFailed;
  // The one place the log is written on a normal end, after the watcher has gone.
  if (!session.End(true, {}, error)) {
    if (!error.empty()) std::fprintf(stderr, "rzstation-cli: %s\n", error.c_str());
    status = kExitFailed;
  }
  rz::cli::ReportForwarding(session.ForwardState(), options->forwardDir, stderr);
  return status;
}
