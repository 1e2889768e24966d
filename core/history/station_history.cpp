#include "history/station_history.h"

#include "app/host_system.h"
#include "app/station_ui.h"
#include "history/board_past.h"
#include "record/record_json.h"

namespace rz {

StationHistory::StationHistory(HostSystem& system, StationUi& ui, std::string folder, std::string forwardFolder)
    : store_(system, std::move(folder)), ui_(ui), forwardFolder_(std::move(forwardFolder)) {
  if (!forwardFolder_.empty()) {
    forwarder_ = std::make_unique<UnitForwarder>(system, store_.Folder() + "/spool", forwardFolder_);
  }
}

bool StationHistory::Open(std::string& error) {
  std::string reason;
  if (!store_.Open(reason)) {
    error = "Ошибка: нет каталога истории " + store_.Folder() + ": " + reason + " (--no-history: без истории)";
    return false;
  }
  return forwarder_ == nullptr || forwarder_->Open(error);
}

std::optional<UnitForwarder::State> StationHistory::ForwardState() const {
  if (forwarder_ == nullptr) return std::nullopt;
  return forwarder_->Status();
}

void StationHistory::FinishForwarding(std::chrono::milliseconds grace) {
  if (forwarder_ != nullptr) forwarder_->Finish(grace);
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
  const nlohmann::json json = UnitFileJson(run, unit);
  std::string reason;
  HistoryStore::StoredUnit stored;
  std::string error;
  if (!store_.Add(json, reason, &stored)) {
    error = "Ошибка записи истории в " + store_.Folder() + ": " + reason;
    stored = HistoryStore::FileOf(json);
  }
  // Forwarded even when the history could not keep it: the unit is not lost.
  if (forwarder_ != nullptr && !forwarder_->Queue(stored.file, stored.text, reason) && error.empty()) {
    error = "Ошибка записи в очередь отправки: " + reason;
  }
  if (error.empty()) return;
  std::lock_guard lock(mutex_);
  if (writeError_.empty()) writeError_ = error;
}

std::string StationHistory::WriteError() const {
  std::lock_guard lock(mutex_);
  return writeError_;
}

}  // namespace rz
