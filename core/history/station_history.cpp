#include "history/station_history.h"

#include "app/host_system.h"
#include "app/station_ui.h"
#include "history/board_past.h"
#include "record/record_json.h"

namespace rz {

StationHistory::StationHistory(HostSystem& system, StationUi& ui, std::string folder)
    : store_(system, std::move(folder)), ui_(ui) {}

bool StationHistory::Open(std::string& error) {
  std::string reason;
  if (store_.Open(reason)) return true;
  error = "Ошибка: нет каталога истории " + store_.Folder() + ": " + reason + " (--no-history: без истории)";
  return false;
}

void StationHistory::UnitIdentified(const RecordedUnit& unit) {
  // The unit as its index line would name it now: the board's IDs and serial.
  const HistoryEntry board = EntryOfUnit(nlohmann::json{{"unitId", unit.id},
                                                        {"serial", unit.serial},
                                                        {"identity", IdentityJson(unit.identity)}},
                                         "");
  for (const std::string& line : BoardPastLines(store_.Entries(), board)) ui_.AddJournalLine(0, line);
}

void StationHistory::UnitFinished(const RunData& run, const RecordedUnit& unit) {
  std::string reason;
  if (store_.Add(UnitFileJson(run, unit), reason)) return;
  std::lock_guard lock(mutex_);
  if (writeError_.empty()) writeError_ = "Ошибка записи истории в " + store_.Folder() + ": " + reason;
}

std::string StationHistory::WriteError() const {
  std::lock_guard lock(mutex_);
  return writeError_;
}

}  // namespace rz
