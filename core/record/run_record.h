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
#include "record/run_data.h"
#include "record/unit_listener.h"
#include "operations/operation_observer.h"

namespace rz {

class HostSystem;
class Station;

// The SHA-256 of a file as lower-case hex, and its size; false with the reason
// when the file cannot be read.
bool HashFile(HostSystem& system, const std::string& path, std::string& sha256, std::uint64_t& size, std::string& reason);

// The files a run is recorded into; an empty path is not written.
struct RecordFiles {
  std::string json;
  std::string junit;
};

// The record of one run of the station: the station, the host, the ports and
// options, and the run's units (one board each, from a download or a change
// of port to the next) with their identity and operations: each operation's
// outcome, duration and journal lines (whole, in UTF-8), its transfer's file
// and the read-back of a write. Observes the station's operations and hears
// their results; after each operation both files are replaced atomically, so
// that an interrupted run keeps every operation that had ended.
class RunRecord final : public OperationObserver, public ResultSink {
 public:
  RunRecord(Station& station, std::string program, RunLabels labels = {});

  // Writes the record of the run so far (no operation yet). False with a
  // message naming the file and the system's reason when a file cannot be
  // written: the run should not start then.
  bool Open(const RecordFiles& files, std::string& error);

  // Hears each unit's identification and end from now on; nullptr: nobody.
  // Set before the run's first operation. With a listener and no files to
  // write, a finished unit is handed over and no longer kept.
  void SetUnitListener(UnitListener* listener) { listener_ = listener; }

  // The serial number of the board of the next unit that begins.
  void SetNextSerial(std::string serial);

  void OperationStarted(const OperationRow& row) override;
  void OperationEnded(const OperationRow& row, std::optional<Outcome> outcome) override;
  // Kept in the unit; written with the end of the operation that read it.
  void BoardIdentified(const BoardIdentity& identity) override;
  // Kept for the operation that runs.
  void FlashChecked(const FlashCheck& check) override;
  // Kept in the unit that runs.
  void Measured(const Measurement& measurement) override;
  void SerialNumberGiven(const std::string& serial) override;
  // The unit's measurements take the verdict's judgements; the files are
  // written again. A judged unit is complete: it goes to the listener at
  // once (a station may then stand idle for hours), and whatever runs next
  // begins a unit of its own.
  void UnitJudged(const UnitVerdict& verdict) override;

  // Marks the run complete with its end time and writes the files a last time;
  // the last unit is finished. False with the first writing error of the run,
  // if there was one.
  bool Finish(std::string& error);

  nlohmann::json Json() const;
  std::string JUnitXml() const;

 private:
  // Begins a new unit when `row` starts one; the first operation always does.
  // True when a unit before it was thereby finished.
  bool BeginUnitFor(const OperationRow& row);
  // The run without its units, and with them.
  RunData HeaderLocked() const;
  RunData SnapshotLocked() const;
  void WriteLocked();
  // Gives the last unit its verdict; false when there is no unit.
  bool JudgeLocked(const UnitVerdict& verdict);

  Station& station_;
  const std::string program_;
  const RunLabels labels_;
  const std::string host_;
  const std::chrono::system_clock::time_point start_;
  RecordFiles files_;
  UnitListener* listener_ = nullptr;

  mutable std::mutex mutex_;
  std::vector<RecordedUnit> units_;
  std::string nextSerial_;
  std::optional<std::chrono::system_clock::time_point> end_;
  std::string writeError_;
  bool lastFinished_ = false;
  // The unit handed to the listener when it was judged, not to be handed again.
  std::string judgedId_;
  // The operation that runs: when it started, the journal's length then, and
  // the read-back it reported.
  std::chrono::steady_clock::time_point runningSince_;
  std::chrono::system_clock::time_point runningStart_;
  int journalBefore_ = 0;
  std::optional<RecordedCheck> runningCheck_;
};

}  // namespace rz
