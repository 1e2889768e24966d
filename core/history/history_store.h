#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "history/history_index.h"

namespace rz {

class HostSystem;

// The name of the history's index file in its folder.
inline constexpr const char* kHistoryIndexName = "index.jsonl";

// The history folder in the user's data folder, or "" when the system names
// no such folder.
std::string DefaultHistoryFolder(HostSystem& system);

// A folder of unit files, one JSON file per finished unit (written whole or
// not at all), and an index with a line per unit, appended to whole, so that
// several stations may keep their history in one folder at once.
class HistoryStore {
 public:
  HistoryStore(HostSystem& system, std::string folder);

  const std::string& Folder() const { return folder_; }

  // Creates the folder when it is missing. False with the reason.
  bool Open(std::string& reason);

  // What Add wrote: the unit file's name in the folder and its content.
  struct StoredUnit {
    std::string file;
    std::string text;
  };

  // Writes the unit's file (see UnitFileJson), then its index line; tells
  // what it wrote through `stored` when given. False with the reason; a unit
  // whose file was written but not its line is found again by RebuildIndex.
  bool Add(const nlohmann::json& unit, std::string& reason, StoredUnit* stored = nullptr);

  // The file Add writes for a unit: its name and content.
  static StoredUnit FileOf(const nlohmann::json& unit);

  // The index's entries in the order they were added (see ParseIndex); none
  // when there is no index yet. Only what was appended since the last call is
  // read (the whole index again when it has shrunk: rebuilt).
  const std::vector<HistoryEntry>& Entries();

  // Writes the index anew from the unit files (in the order of their start);
  // the old index is replaced in one step. Meant for a folder no station
  // writes into meanwhile. False with the reason; `units` is how many units
  // the new index holds, `unreadable` the files that were left out.
  bool RebuildIndex(std::size_t& units, std::vector<std::string>& unreadable, std::string& reason);

 private:
  std::string PathOf(const std::string& name) const;

  HostSystem& system_;
  std::string folder_;
  // The index as read so far: its entries and the bytes of its whole lines.
  std::vector<HistoryEntry> entries_;
  std::uint64_t entriesBytes_ = 0;
};

}  // namespace rz
