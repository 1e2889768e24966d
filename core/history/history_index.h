#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace rz {

// One line of the history's index: what finds a unit's file without opening
// it. Every field is text, empty when the unit did not know it.
struct HistoryEntry {
  std::string unitId;
  std::string serial;
  std::string uniqId;           // the processor's Uniq_ID, eight hex digits
  std::string flashSecurityId;  // the Flash's security ID as the readout shows it, "W3 W2 W1 W0"
  std::string result;           // the verdict (PASS, FAIL, ...) or else the unit's outcome
  std::string start;            // ISO 8601 local time
  std::string station;
  std::string file;             // the unit's file, by name in the history folder
  // What the reports need without opening the unit's file:
  std::string verdict;               // PASS, FAIL or INCOMPLETE; empty for a unit run without a profile
  std::vector<std::string> failing;  // what decided a verdict other than PASS
  double seconds = 0;                // the unit's operations, added up
  bool operator==(const HistoryEntry&) const = default;
};

// The index entry of a unit file's content (see UnitFileJson), named `file`.
HistoryEntry EntryOfUnit(const nlohmann::json& unit, const std::string& file);

// The entry as one line of the index, with its line break.
std::string IndexLine(const HistoryEntry& entry);

// The entries of an index's text, in order. A line cut short (a power cut
// during an append) is skipped; an entry appended right after such a line,
// and so glued to it, is still found.
std::vector<HistoryEntry> ParseIndex(std::string_view text);

// The name a unit's file gets: its start (local date and time) and its UUID,
// e.g. "20261209T070531-3f2b8c1e-9d4a-4e7b-8a61-0c5d2e9f4b13.json".
std::string UnitFileName(const HistoryEntry& entry);

}  // namespace rz
