#include "history/history_store.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "app/host_system.h"
#include "history/folder_files.h"

namespace rz {
std::string DefaultHistoryFolder(HostSystem& system) {
  const std::string data = system.UserDataFolder();
  return data.empty() ? "" : data + "/rzstation/history";
}

HistoryStore::HistoryStore(HostSystem& system, std::string folder) : system_(system), folder_(std::move(folder)) {}

std::string HistoryStore::PathOf(const std::string& name) const { return folder_ + "/" + name; }

bool HistoryStore::Open(std::string& reason) {
  std::error_code error;
  std::filesystem::create_directories(Utf8Path(folder_), error);
  if (system_.Inspect(folder_, reason) == PathKind::Directory) return true;
  if (error) reason = error.message();
  return false;
}

HistoryStore::StoredUnit HistoryStore::FileOf(const nlohmann::json& unit) {
  return {UnitFileName(EntryOfUnit(unit, "")), unit.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n"};
}

bool HistoryStore::Add(const nlohmann::json& unit, std::string& reason, StoredUnit* stored) {
  StoredUnit file = FileOf(unit);
  if (!ReplaceWholeFile(system_, PathOf(file.file), file.text, reason) ||
      !system_.AppendToFile(PathOf(kHistoryIndexName), IndexLine(EntryOfUnit(unit, file.file)), reason)) {
    return false;
  }
  if (stored != nullptr) *stored = std::move(file);
  return true;
}

const std::vector<HistoryEntry>& HistoryStore::Entries() {
  std::string text;
  if (!ReadFileFrom(PathOf(kHistoryIndexName), entriesBytes_, text)) {
    entries_.clear();
    entriesBytes_ = 0;
    if (!ReadFileFrom(PathOf(kHistoryIndexName), 0, text)) return entries_;
  }
  // Whole lines only: a line still without its end is read again next time.
  text.resize(text.rfind('\n') + 1);
  std::vector<HistoryEntry> added = ParseIndex(text);
  entries_.insert(entries_.end(), std::make_move_iterator(added.begin()), std::make_move_iterator(added.end()));
  entriesBytes_ += text.size();
  return entries_;
}

bool HistoryStore::RebuildIndex(std::size_t& units, std::vector<std::string>& unreadable, std::string& reason) {
  std::vector<HistoryEntry> entries;
  std::vector<std::string> names;
  if (!UnitFilesIn(folder_, names, reason)) return false;
  for (const std::string& name : names) {
    std::string text;
    const nlohmann::json unit = ReadFileFrom(PathOf(name), 0, text) ? nlohmann::json::parse(text, nullptr, false)
                                                                  : nlohmann::json();
    HistoryEntry entry = unit.is_object() ? EntryOfUnit(unit, name) : HistoryEntry{};
    if (entry.unitId.empty()) {
      unreadable.push_back(name);
    } else {
      entries.push_back(std::move(entry));
    }
  }
  std::stable_sort(entries.begin(), entries.end(),
                   [](const HistoryEntry& a, const HistoryEntry& b) { return a.start < b.start; });
  std::string index;
  for (const HistoryEntry& entry : entries) index += IndexLine(entry);
  units = entries.size();
  entries_.clear();
  entriesBytes_ = 0;
  return ReplaceWholeFile(system_, PathOf(kHistoryIndexName), index, reason);
}

}  // namespace rz
