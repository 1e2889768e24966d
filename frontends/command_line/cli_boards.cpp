#include "cli_boards.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/results_log.h"
#include "cli_ui.h"
#include "production/board_sequence.h"
#include "session/exit_status.h"
#include "session/startup.h"
#include "session/station_session.h"

namespace rz::cli {
namespace {

std::string Joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ",") + name;
  return text;
}

}  // namespace

int RunBoards(StationSession& session, const CliOptions& options, CliUi& ui, const BoardLoopSignals& signals) {
  Station& station = session.GetStation();
  BoardSequence sequence(station, *session.GetProfile());
  int status = kExitOk;
  for (unsigned board = 1; options.boards == 0 || board <= options.boards; ++board) {
    if (signals.terminateRequested()) break;
    const std::string serial = board <= options.boardSerials.size() ? options.boardSerials[board - 1] : "";
    if (!serial.empty()) session.SetNextSerial(serial);
    const std::optional<UnitVerdict> verdict = sequence.Run(0, false, signals.abandon);
    ui.FlushJournal();
    if (!verdict) {
      // An operation that did not stop in time: keep what it reported and
      // leave without waiting for it.
      WriteResultsLog(station);
      std::_Exit(kExitFailed);
    }
    std::printf("verdict board=%u serial=%s result=%s failing=%s\n", board, serial.empty() ? "-" : serial.c_str(),
                VerdictName(verdict->verdict), verdict->failing.empty() ? "-" : Joined(verdict->failing).c_str());
    std::fflush(stdout);
    if (verdict->verdict != Verdict::Pass) status = kExitFailed;
    signals.dropPendingPresses();
  }
  return status;
}

}  // namespace rz::cli
