#include "history/history_store.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "app/host_system.h"

namespace rz {
namespace {

// The content of a file from byte `from`, read without keeping writers out
// (another station may append to the index meanwhile); false when it cannot
// be read or is shorter than `from`.
bool ReadFrom(const std::string& path, std::uint64_t from, std::string& text) {
  std::ifstream in(Utf8Path(path), std::ios::binary | std::ios::ate);
  if (!in || static_cast<std::uint64_t>(in.tellg()) < from) return false;
  in.seekg(static_cast<std::streamoff>(from));
  text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

}  // namespace

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

bool HistoryStore::Add(const nlohmann::json& unit, std::string& reason) {
  HistoryEntry entry = EntryOfUnit(unit, "");
  entry.file = UnitFileName(entry);
  const std::string text = unit.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
  return ReplaceWholeFile(system_, PathOf(entry.file), text, reason) &&
         system_.AppendToFile(PathOf(kHistoryIndexName), IndexLine(entry), reason);
}

const std::vector<HistoryEntry>& HistoryStore::Entries() {
  std::string text;
  if (!ReadFrom(PathOf(kHistoryIndexName), entriesBytes_, text)) {
    entries_.clear();
    entriesBytes_ = 0;
    if (!ReadFrom(PathOf(kHistoryIndexName), 0, text)) return entries_;
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
  std::error_code error;
  for (const auto& item : std::filesystem::directory_iterator(Utf8Path(folder_), error)) {
    const std::u8string name8 = item.path().filename().u8string();
    const std::string name(name8.begin(), name8.end());
    if (!item.is_regular_file(error) || item.path().extension() != ".json" || name.front() == '.') continue;
    std::string text;
    const nlohmann::json unit = ReadFrom(PathOf(name), 0, text) ? nlohmann::json::parse(text, nullptr, false)
                                                              : nlohmann::json();
    HistoryEntry entry = unit.is_object() ? EntryOfUnit(unit, name) : HistoryEntry{};
    if (entry.unitId.empty()) {
      unreadable.push_back(name);
    } else {
      entries.push_back(std::move(entry));
    }
  }
  if (error) {
    reason = error.message();
    return false;
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
