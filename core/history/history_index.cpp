#include "history/history_index.h"

#include <cmath>

namespace rz {
namespace {

// Every index line starts with this, so that a line glued to a torn one can
// be told apart from it.
constexpr std::string_view kLineStart = "{\"unitId\":";

std::string TextAt(const nlohmann::json& json, const nlohmann::json::json_pointer& pointer) {
  if (!json.contains(pointer)) return "";
  const nlohmann::json& value = json.at(pointer);
  return value.is_string() ? value.get<std::string>() : "";
}

std::string SecurityIdOf(const nlohmann::json& unit) {
  const nlohmann::json::json_pointer pointer("/identity/flash/securityId");
  if (!unit.contains(pointer) || !unit.at(pointer).is_array()) return "";
  // As the readout shows it: the last word read first.
  std::string hex;
  const nlohmann::json& words = unit.at(pointer);
  for (auto word = words.rbegin(); word != words.rend(); ++word) {
    if (word->is_string()) hex += (hex.empty() ? "" : " ") + word->get<std::string>();
  }
  return hex;
}

std::vector<std::string> TextsAt(const nlohmann::json& json, const char* key) {
  std::vector<std::string> texts;
  const auto found = json.find(key);
  if (found == json.end() || !found->is_array()) return texts;
  for (const nlohmann::json& item : *found) {
    if (item.is_string()) texts.push_back(item.get<std::string>());
  }
  return texts;
}

double NumberAt(const nlohmann::json& json, const char* key) {
  const auto found = json.find(key);
  return found != json.end() && found->is_number() ? found->get<double>() : 0.0;
}

// The operations' durations added up, to the millisecond the file keeps.
double SecondsOf(const nlohmann::json& unit) {
  double seconds = 0;
  const auto operations = unit.find("operations");
  if (operations == unit.end() || !operations->is_array()) return 0;
  for (const nlohmann::json& operation : *operations) {
    if (operation.is_object()) seconds += NumberAt(operation, "durationSeconds");
  }
  return std::round(seconds * 1000) / 1000;
}

bool EntryOfLine(std::string_view line, HistoryEntry& entry) {
  const nlohmann::json json = nlohmann::json::parse(line, nullptr, false);
  if (!json.is_object() || !json.contains("unitId") || !json["unitId"].is_string()) return false;
  const auto text = [&](const char* key) { return TextAt(json, nlohmann::json::json_pointer(std::string("/") + key)); };
  entry = {text("unitId"), text("serial"),  text("uniqId"),  text("flashSecurityId"),  text("result"),
           text("start"),  text("station"), text("file"),    text("verdict"),          TextsAt(json, "failing"),
           NumberAt(json, "seconds")};
  return true;
}

}  // namespace

HistoryEntry EntryOfUnit(const nlohmann::json& unit, const std::string& file) {
  using Pointer = nlohmann::json::json_pointer;
  HistoryEntry entry;
  entry.unitId = TextAt(unit, Pointer("/unitId"));
  entry.serial = TextAt(unit, Pointer("/serial"));
  entry.uniqId = TextAt(unit, Pointer("/identity/processor/uniqId"));
  entry.flashSecurityId = SecurityIdOf(unit);
  entry.result = TextAt(unit, Pointer("/verdict/result"));
  if (entry.result.empty()) entry.result = TextAt(unit, Pointer("/outcome"));
  entry.start = TextAt(unit, Pointer("/start"));
  entry.station = TextAt(unit, Pointer("/station/name"));
  entry.file = file;
  entry.verdict = TextAt(unit, Pointer("/verdict/result"));
  if (const auto verdict = unit.find("verdict"); verdict != unit.end() && verdict->is_object()) {
    entry.failing = TextsAt(*verdict, "failing");
  }
  entry.seconds = SecondsOf(unit);
  return entry;
}

std::string IndexLine(const HistoryEntry& entry) {
  // In this order, unitId first (see kLineStart).
  const nlohmann::ordered_json json = {{"unitId", entry.unitId},   {"serial", entry.serial},
                                       {"uniqId", entry.uniqId},   {"flashSecurityId", entry.flashSecurityId},
                                       {"result", entry.result},   {"start", entry.start},
                                       {"station", entry.station}, {"file", entry.file},
                                       {"verdict", entry.verdict}, {"failing", entry.failing},
                                       {"seconds", entry.seconds}};
  return json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

std::vector<HistoryEntry> ParseIndex(std::string_view text) {
  std::vector<HistoryEntry> entries;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    // A last line without its line break is still being written, or was cut.
    if (end == std::string_view::npos) break;
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end + 1);
    HistoryEntry entry;
    if (EntryOfLine(line, entry)) {
      entries.push_back(std::move(entry));
    } else if (const std::size_t glued = line.rfind(kLineStart); glued != 0 && glued != std::string_view::npos &&
                                                                  EntryOfLine(line.substr(glued), entry)) {
      entries.push_back(std::move(entry));
    }
  }
  return entries;
}

std::string UnitFileName(const HistoryEntry& entry) {
  // "2026-12-09T07:05:31.042+03:00" gives "20261209T070531".
  std::string stamp;
  for (const char c : entry.start.substr(0, 19)) {
    if (c != '-' && c != ':') stamp += c;
  }
  return (stamp.empty() ? "" : stamp + "-") + entry.unitId + ".json";
}

}  // namespace rz
