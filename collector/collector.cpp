#include "collector.h"

#include <algorithm>
#include <future>
#include <set>

namespace rz::collect {
namespace {

// A unit file is a few kilobytes; anything far larger is no unit, and is not
// read into memory whole.
constexpr std::uintmax_t kMaxFileBytes = 64u << 20;

}  // namespace

Collector::Prepared Collector::Prepare(const std::vector<std::string>& names, std::size_t first) const {
  Prepared prepared;
  const std::size_t end = std::min(names.size(), first + batchSize_);
  for (std::size_t i = first; i < end; ++i) {
    Pending pending{names[i], {}};
    std::string text;
    std::string reason;
    if (!ReadFile(folders_.forward + "/" + pending.name, kMaxFileBytes, text, reason)) {
      prepared.refused.emplace_back(pending.name, "cannot be read: " + reason);
    } else if (!UnitRowsOfFile(text, pending.rows, reason)) {
      prepared.refused.emplace_back(pending.name, reason);
    } else {
      prepared.units.push_back(std::move(pending));
    }
  }
  return prepared;
}

bool Collector::ImportWaiting(ImportCounts& counts, std::string& error) {
  databaseFailed_ = false;
  std::vector<std::string> names;
  if (!MakeFolders(folders_, error) || !WaitingFiles(folders_.forward, names, error)) return false;
  const auto prepare = [this, &names](std::size_t first) {
    return std::async(std::launch::async, [this, &names, first] { return Prepare(names, first); });
  };
  // Destroyed (so waited for) before `names`.
  std::future<Prepared> next = prepare(0);
  for (std::size_t first = 0; first < names.size(); first += batchSize_) {
    Prepared batch = next.get();
    if (first + batchSize_ < names.size()) next = prepare(first + batchSize_);
    for (const auto& [name, reason] : batch.refused) SendToQuarantine(name, reason, counts);
    if (!batch.units.empty() && !ImportBatch(batch.units, counts, error)) return false;
    if (stop_()) return true;
  }
  return true;
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
