#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/board_identity.h"
#include "app/outcome.h"
#include "app/port_paths.h"
#include "app/unit_verdict.h"

namespace rz {

// The version of the record's layout; the JSON Schema of the repository
// describes this one. Raised whenever a field changes meaning or goes away.
inline constexpr int kRecordSchemaVersion = 3;

// Who and what ran the station, as the record names them.
struct RunLabels {
  std::string station;       // the station's name; the computer's name unless given
  std::string operatorName;  // empty: not given
};

// A file a transfer wrote or read, as it stood when the transfer ended.
struct RecordedTransfer {
  std::string file;
  std::uint64_t size = 0;
  std::string sha256;
  std::string error;
  std::string note;  // what became of a file the transfer did not complete
};

// The read-back after a write, with the Flash's content as a digest.
struct RecordedCheck {
  std::uint64_t bytes = 0;
  bool matches = false;
  int piecesReadAgain = 0;
  int piecesWrittenAgain = 0;
  int differingPieces = 0;
  std::vector<std::uint32_t> firstDifferingAddresses;
  std::string flashSha256;  // empty when no digest could be made
};

struct RecordedOperation {
  std::string name;
  std::chrono::system_clock::time_point start;
  double seconds = 0;
  std::optional<Outcome> outcome;  // nothing: refused
  std::vector<std::string> journal;
  std::optional<RecordedTransfer> transfer;
  std::optional<RecordedCheck> check;
};

// The test program a download sent.
struct RecordedProgram {
  std::uint64_t size = 0;
  std::string sha256;
};

// One board's stretch of a run: from a download (or a change of port) to the
// next. Operations before the first download form a unit of their own that
// no download named.
struct RecordedUnit {
  std::string id;      // a UUID, new for every unit
  std::string serial;  // the board's serial number, when given
  std::string port;    // "COM1", "COM2", "NONE"; empty until an operation ran on it
  bool downloaded = false;  // the unit began with a download
  std::optional<RecordedProgram> program;
  std::chrono::system_clock::time_point start;
  // What the unit's readouts learnt of the board, section by section.
  BoardIdentity identity;
  std::vector<RecordedOperation> operations;
  // What the operations measured, judged once a profile's sequence has
  // judged the board (until then without limits).
  std::vector<JudgedMeasurement> measurements;
  std::optional<UnitVerdict> verdict;
};

// What the record knows of a run.
struct RunData {
  std::string program;
  std::string version;
  std::string host;
  RunLabels labels;
  std::chrono::system_clock::time_point start;
  std::optional<std::chrono::system_clock::time_point> end;
  std::string workDir;
  PortPaths ports;
  struct Options {
    bool serviceComV7 = true;
    bool flashServiceMode = false;
    bool sound = false;
    bool verifyWrites = false;     // writes over the serial port are read back
    bool verifyUdpWrites = true;   // writes over UDP are read back
  } options;
  std::vector<RecordedUnit> units;
};

// A unit's outcome: failed when an operation failed, aborted when one was
// aborted or refused and none failed, success otherwise.
const char* UnitOutcomeName(const RecordedUnit& unit);

// How reports name a unit: its number in the run, then the serial number and
// the processor's Uniq_ID when known, e.g. "2: SN-0042, Uniq_ID 22222222".
std::string UnitName(const RecordedUnit& unit, std::size_t index);

// What becomes of a run's operations in the record: success, failed, aborted,
// or refused when the control did not start it.
const char* RecordedOutcomeName(std::optional<Outcome> outcome);

// A moment as ISO 8601 local time with milliseconds and the UTC offset,
// e.g. "2026-12-09T07:05:31.042+03:00".
std::string Iso8601(std::chrono::system_clock::time_point moment);

// `in` as valid UTF-8, anything else replaced by U+FFFD; for XML also the
// characters XML 1.0 cannot hold.
std::string ValidText(const std::string& in, bool forXml);

// A file name as the record and the report give it: unchanged when it is
// text XML can hold; otherwise every byte that is not is written as \xNN and
// every backslash as \\, so that the name's bytes can be told back.
std::string EscapedPath(const std::string& path);

}  // namespace rz
