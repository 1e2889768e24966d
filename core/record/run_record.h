#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/board_identity.h"
#include "app/result_sink.h"
#include "operations/operation_observer.h"

namespace rz {

class HostSystem;
class Station;

// The SHA-256 of a file as lower-case hex, and its size; false with the reason
// when the file cannot be read.
bool HashFile(HostSystem& system, const std::string& path, std::string& sha256, std::uint64_t& size, std::string& reason);

// A moment as ISO 8601 local time with milliseconds and the UTC offset,
// e.g. "2026-12-09T07:05:31.042+03:00".
std::string Iso8601(std::chrono::system_clock::time_point moment);

// What becomes of a run's operations in the record: success, failed, aborted,
// or refused when the control did not start it.
const char* RecordedOutcomeName(std::optional<Outcome> outcome);

// The files a run is recorded into; an empty path is not written.
struct RecordFiles {
  std::string json;
  std::string junit;
};

// The record of one run of the station: the station, the host, the ports and
// options, every operation with its outcome, duration and journal lines (whole,
// in UTF-8), the transfers' files and the board's identity from the last
// configuration readout that read any of it. Observes the station's operations
// and hears their results; after each operation both files are replaced
// atomically, so that an interrupted run keeps every operation that had ended.
class RunRecord final : public OperationObserver, public ResultSink {
 public:
  RunRecord(Station& station, std::string program);

  // Writes the record of the run so far (no operation yet). False with a
  // message naming the file and the system's reason when a file cannot be
  // written: the run should not start then.
  bool Open(const RecordFiles& files, std::string& error);

  void OperationStarted(const OperationRow& row) override;
  void OperationEnded(const OperationRow& row, std::optional<Outcome> outcome) override;
  // Kept for the run; written with the end of the operation that read it.
  void BoardIdentified(const BoardIdentity& identity) override;

  // Marks the run complete with its end time and writes the files a last time.
  // False with the first writing error of the run, if there was one.
  bool Finish(std::string& error);

  nlohmann::json Json() const;
  std::string JUnitXml() const;

 private:
  struct Transfer {
    std::string file;
    std::uint64_t size = 0;
    std::string sha256;
    std::string error;
    std::string note;  // what became of a file the transfer did not complete
  };
  struct Entry {
    std::string name;
    std::chrono::system_clock::time_point start;
    double seconds = 0;
    std::optional<Outcome> outcome;
    std::vector<std::string> journal;
    std::optional<Transfer> transfer;
  };

  nlohmann::json JsonLocked() const;
  std::string JUnitLocked() const;
  void WriteLocked();

  Station& station_;
  const std::string program_;
  const std::string host_;
  const std::chrono::system_clock::time_point start_;
  RecordFiles files_;

  mutable std::mutex mutex_;
  std::vector<Entry> entries_;
  std::optional<BoardIdentity> board_;
  std::optional<std::chrono::system_clock::time_point> end_;
  std::string writeError_;
  // The operation that runs: when it started and the journal's length then.
  std::chrono::steady_clock::time_point runningSince_;
  std::chrono::system_clock::time_point runningStart_;
  int journalBefore_ = 0;
};

}  // namespace rz
