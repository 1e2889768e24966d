#include "operations/port_reselect.h"

#include "app/texts.h"
#include "app/worker_frame.h"
#include "operations/station.h"
#include "operations/station_ports.h"

namespace rz {
namespace {

// Opens COM`n` for the selector; on failure falls back to "NONE".
bool OpenSelectedPort(Station& station, int n, const char* openedLine, const char* failedLine) {
  station.SetPort(OpenPort(station, n));
  if (station.port) {
    station.Ui().AddJournalLine(0, openedLine);
    return true;
  }
  station.Ui().SetSelectorIndex(Selector::Port, kPortEntryNone);
  station.Ui().AddJournalLine(0, failedLine);
  return false;
}

}  // namespace

Outcome ReselectPort(Station& station) {
  StationUi& ui = station.Ui();
  const WorkerFrame frame(station.Ui(), station.flags, {.showAbortHint = false, .restoreIdleHint = false, .clearAbort = false});
  station.SetPort(nullptr);
  ui.AddJournalLine(0, "");

  Outcome outcome = Outcome::Success;
  if (ui.SelectorIndex(Selector::Port) == kPortEntryCom1 &&
      !OpenSelectedPort(station, 1, text::kCom1Opened, text::kCom1Failed)) {
    outcome = Outcome::Failed;
  }
  if (ui.SelectorIndex(Selector::Port) == kPortEntryCom2 &&
      !OpenSelectedPort(station, 2, text::kCom2Opened, text::kCom2Failed)) {
    outcome = Outcome::Failed;
  }
  if (ui.SelectorIndex(Selector::Port) == kPortEntryNone) {
    station.SetPort(nullptr);
    ui.AddJournalLine(0, text::kNoPort);
  }
  return outcome;
}

}  // namespace rz
