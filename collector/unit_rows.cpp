#include "unit_rows.h"

#include <cctype>
#include <cmath>
#include <nlohmann/json.hpp>

#include "history/history_index.h"

namespace rz::collect {
namespace {

using Json = nlohmann::json;

// Thrown by the readers below with the path of the field and what is wrong.
struct BadUnit {
  std::string reason;
};

constexpr const char* kNotTime = "is not an ISO 8601 time with its offset";

[[noreturn]] void Bad(const std::string& field, const char* what) { throw BadUnit{field + " " + what}; }

// A member that is absent or null gives nullptr; one of another kind is an error.
const Json* Member(const Json& object, const char* key, const std::string& where, bool (Json::*kind)() const,
                   const char* kindName) {
  const auto item = object.find(key);
  if (item == object.end() || item->is_null()) return nullptr;
  if (!((*item).*kind)()) Bad(where + key, kindName);
  return &*item;
}

std::optional<std::string> OptionalText(const Json& object, const char* key, const std::string& where) {
  const Json* item = Member(object, key, where, &Json::is_string, "is not text");
  return item ? std::optional(item->get<std::string>()) : std::nullopt;
}

std::string Text(const Json& object, const char* key, const std::string& where) {
  std::optional<std::string> text = OptionalText(object, key, where);
  if (!text) Bad(where + key, "is missing");
  return *text;
}

std::optional<std::string> OptionalTime(const Json& object, const char* key, const std::string& where) {
  std::optional<std::string> text = OptionalText(object, key, where);
  if (text && !IsIsoTime(*text)) Bad(where + key, kNotTime);
  return text;
}

std::optional<double> OptionalNumber(const Json& object, const char* key, const std::string& where) {
  const Json* item = Member(object, key, where, &Json::is_number, "is not a number");
  return item ? std::optional(item->get<double>()) : std::nullopt;
}

const Json* OptionalObject(const Json& object, const char* key, const std::string& where) {
  return Member(object, key, where, &Json::is_object, "is not an object");
}

// An absent or null list is an empty one.
const Json& List(const Json& object, const char* key, const std::string& where) {
  static const Json kEmpty = Json::array();
  const Json* item = Member(object, key, where, &Json::is_array, "is not a list");
  return item ? *item : kEmpty;
}

std::vector<std::string> Texts(const Json& object, const char* key, const std::string& where) {
  std::vector<std::string> texts;
  for (const Json& item : List(object, key, where)) {
    if (!item.is_string()) Bad(where + key, "holds an item that is not text");
    texts.push_back(item.get<std::string>());
  }
  return texts;
}

std::string Item(const char* list, std::size_t index) { return std::string(list) + "[" + std::to_string(index) + "]."; }

OperationRow Operation(const Json& item, const std::string& where) {
  if (!item.is_object()) Bad(where.substr(0, where.size() - 1), "is not an object");
  return {Text(item, "name", where), OptionalTime(item, "start", where), OptionalNumber(item, "durationSeconds", where),
          OptionalText(item, "outcome", where)};
}

MeasurementRow Measurement(const Json& item, const std::string& where) {
  if (!item.is_object()) Bad(where.substr(0, where.size() - 1), "is not an object");
  MeasurementRow row{Text(item, "name", where),           std::nullopt, std::nullopt, OptionalText(item, "unit", where),
                     OptionalText(item, "result", where), std::nullopt};
  const auto value = item.find("value");
  if (value != item.end() && value->is_number())
    row.number = value->get<double>();
  else if (value != item.end() && value->is_string())
    row.text = value->get<std::string>();
  else if (value != item.end() && !value->is_null())
    Bad(where + "value", "is neither a number nor text");
  if (const Json* limit = OptionalObject(item, "limit", where)) row.limit = limit->dump();
  return row;
}

// Types of the identity's parts the rows take, taken through the history's
// index entry (the rest stays in the document).
void CheckIdentity(const Json& unit) {
  const Json* identity = OptionalObject(unit, "identity", "");
  if (identity == nullptr) return;
  if (const Json* processor = OptionalObject(*identity, "processor", "identity.")) {
    OptionalText(*processor, "uniqId", "identity.processor.");
  }
  if (const Json* flash = OptionalObject(*identity, "flash", "identity.")) {
    Texts(*flash, "securityId", "identity.flash.");
  }
}

std::optional<std::string> NullIfEmpty(const std::string& text) {
  return text.empty() ? std::nullopt : std::optional(text);
}

void ReadUnit(const Json& unit, UnitRows& rows) {
  if (!unit.is_object()) throw BadUnit{"not a unit: the file holds no JSON object"};
  rows.unitId = Text(unit, "unitId", "");
  if (!IsUuidText(rows.unitId)) Bad("unitId", "is not a UUID");
  // One spelling for comparing IDs within a batch: PostgreSQL's.
  for (char& c : rows.unitId) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  rows.start = Text(unit, "start", "");
  if (!IsIsoTime(rows.start)) Bad("start", kNotTime);
  rows.day = rows.start.substr(0, 10);
  OptionalText(unit, "serial", "");
  CheckIdentity(unit);
  if (const Json* station = OptionalObject(unit, "station", "")) OptionalText(*station, "name", "station.");
  const HistoryEntry entry = EntryOfUnit(unit, "");
  rows.serial = NullIfEmpty(entry.serial);
  rows.uniqId = NullIfEmpty(entry.uniqId);
  rows.flashSecurityId = NullIfEmpty(entry.flashSecurityId);
  rows.station = NullIfEmpty(entry.station);
  rows.outcome = OptionalText(unit, "outcome", "");
  if (const Json* verdict = OptionalObject(unit, "verdict", "")) {
    rows.verdict = NullIfEmpty(Text(*verdict, "result", "verdict."));  // an empty result judges nothing
    rows.product = OptionalText(*verdict, "product", "verdict.");
    rows.failing = Texts(*verdict, "failing", "verdict.");
    rows.marginal = Texts(*verdict, "marginal", "verdict.");
  }
  const Json& operations = List(unit, "operations", "");
  for (std::size_t i = 0; i < operations.size(); ++i) {
    rows.operations.push_back(Operation(operations[i], Item("operations", i)));
    rows.seconds += rows.operations.back().seconds.value_or(0);
  }
  // To the millisecond the file keeps, as the station's own report adds them up.
  rows.seconds = std::round(rows.seconds * 1000) / 1000;
  const Json& measurements = List(unit, "measurements", "");
  for (std::size_t i = 0; i < measurements.size(); ++i) {
    rows.measurements.push_back(Measurement(measurements[i], Item("measurements", i)));
  }
}

}  // namespace

bool UnitRowsOfFile(const std::string& text, UnitRows& rows, std::string& reason) {
  rows = UnitRows{};
  Json unit;
  try {
    unit = Json::parse(text);
  } catch (const Json::exception& e) {
    reason = std::string("not JSON: ") + e.what();
    return false;
  }
  try {
    ReadUnit(unit, rows);
  } catch (const BadUnit& bad) {
    reason = bad.reason;
    return false;
  }
  rows.document = text;
  return true;
}

bool IsUuidText(const std::string& text) {
  if (text.size() != 36) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
    if (dash ? text[i] != '-' : !std::isxdigit(static_cast<unsigned char>(text[i]))) return false;
  }
  return true;
}

bool IsIsoTime(const std::string& text) {
  // 'd' stands for a digit and 's' for a sign.
  const auto matches = [&text](std::size_t at, std::string_view pattern) {
    if (text.size() - at < pattern.size()) return false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
      const char c = text[at + i];
      const bool ok = pattern[i] == 'd'   ? std::isdigit(static_cast<unsigned char>(c)) != 0
                      : pattern[i] == 's' ? c == '+' || c == '-'
                                          : c == pattern[i];
      if (!ok) return false;
    }
    return true;
  };
  constexpr std::string_view kDateTime = "dddd-dd-ddTdd:dd:dd";
  if (text.size() < kDateTime.size() || !matches(0, kDateTime)) return false;
  std::size_t at = kDateTime.size();
  if (at < text.size() && text[at] == '.') {
    const std::size_t digits = ++at;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) ++at;
    if (at == digits) return false;
  }
  const std::size_t rest = text.size() - at;
  return (rest == 1 && text[at] == 'Z') || (rest == 6 && matches(at, "sdd:dd"));
}

}  // namespace rz::collect
