#pragma once

#include <optional>
#include <string>
#include <vector>

// A unit file of the station (one finished board test, see UnitFileJson) as
// the rows the collector's tables hold. Pure: no database, no files.
namespace rz::collect {

struct OperationRow {
  std::string name;
  std::optional<std::string> start;  // ISO 8601 local time with its offset
  std::optional<double> seconds;
  std::optional<std::string> outcome;
};

struct MeasurementRow {
  std::string name;
  std::optional<double> number;     // a numeric value
  std::optional<std::string> text;  // a text value
  std::optional<std::string> unit;
  std::optional<std::string> result;  // pass, marginal, fail, none
  std::optional<std::string> limit;   // the limit object as JSON text
};

struct UnitRows {
  std::string unitId;
  // Empty texts are kept as NULL, as the station's own index treats them.
  std::optional<std::string> serial;
  std::optional<std::string> uniqId;
  std::optional<std::string> flashSecurityId;  // as the readout shows it, "W3 W2 W1 W0"
  std::optional<std::string> station;
  std::string start;  // as written, ISO 8601 local time with its offset
  std::string day;    // the local date: the first ten characters of start
  std::optional<std::string> outcome;
  std::optional<std::string> verdict;  // PASS, FAIL, INCOMPLETE; NULL when the unit was not judged
  std::optional<std::string> product;
  double seconds = 0;  // the operations' durations added up
  std::vector<std::string> failing;
  std::vector<std::string> marginal;
  std::string document;  // the whole file
  std::vector<OperationRow> operations;
  std::vector<MeasurementRow> measurements;
};

// The rows of a unit file's text, or false with the reason it is not a valid
// unit (not JSON, no valid unitId, a field of the wrong type, ...).
bool UnitRowsOfFile(const std::string& text, UnitRows& rows, std::string& reason);

// "3f2b8c1e-9d4a-4e7b-8a61-0c5d2e9f4b13" (either case).
bool IsUuidText(const std::string& text);

// "2026-12-09T07:05:31.042+03:00": a date, a time with optional fraction, and
// Z or an offset.
bool IsIsoTime(const std::string& text);

}  // namespace rz::collect
