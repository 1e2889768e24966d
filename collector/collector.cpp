#include "collector.h"

#include <set>

namespace rz::collect {

bool Collector::ImportWaiting(ImportCounts& counts, std::string& error) {
  databaseFailed_ = false;
  std::vector<std::string> names;
  if (!MakeFolders(folders_, error) || !WaitingFiles(folders_.forward, names, error)) return false;
  std::vector<Pending> batch;
  for (const std::string& name : names) {
    Pending pending{name, {}};
    std::string text;
    std::string reason;
    if (!ReadFile(folders_.forward + "/" + name, text, reason)) {
      SendToQuarantine(name, "cannot be read: " + reason, counts);
    } else if (!UnitRowsOfFile(text, pending.rows, reason)) {
      SendToQuarantine(name, reason, counts);
    } else {
      batch.push_back(std::move(pending));
    }
    if (batch.size() < batchSize_) continue;
    if (!ImportBatch(batch, counts, error)) return false;
    batch.clear();
    if (stop_()) return true;
  }
  return batch.empty() || ImportBatch(batch, counts, error);
}

bool Collector::ImportBatch(std::vector<Pending>& batch, ImportCounts& counts, std::string& error) {
  // A second copy of a unit (the same unit ID under another name) in the
  // batch is already known once the first is stored.
  std::vector<const UnitRows*> units;
  std::set<std::string> ids;
  for (const Pending& pending : batch) {
    if (ids.insert(pending.rows.unitId).second) units.push_back(&pending.rows);
  }
  std::size_t fresh = 0;
  PgError failure;
  if (!store_.Store(units, fresh, failure)) {
    if (!failure.RefusedData()) {
      databaseFailed_ = true;
      error = "database: " + failure.message + "; the unit files stay in " + folders_.forward;
      return false;
    }
    // A value the database would not take: find its file by storing the
    // batch's files one by one.
    if (batch.size() == 1) {
      SendToQuarantine(batch.front().name, "refused by the database: " + failure.message, counts);
      return true;
    }
    for (Pending& pending : batch) {
      std::vector<Pending> one;
      one.push_back(std::move(pending));
      if (!ImportBatch(one, counts, error)) return false;
    }
    return true;
  }
  counts.imported += fresh;
  counts.known += batch.size() - fresh;
  for (const Pending& pending : batch) Archive(pending.name);
  return true;
}

void Collector::Archive(const std::string& name) {
  std::string error;
  if (!MoveFile(folders_, folders_.archive, name, error)) warn_(error);
}

void Collector::SendToQuarantine(const std::string& name, const std::string& reason, ImportCounts& counts) {
  std::string error;
  if (Quarantine(folders_, name, reason, error)) {
    ++counts.quarantined;
    warn_(name + " quarantined: " + reason);
  } else {
    warn_(error);
  }
}

}  // namespace rz::collect
