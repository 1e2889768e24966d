#pragma once

#include <mutex>
#include <string>

#include "history/history_store.h"
#include "record/unit_listener.h"

namespace rz {

class StationUi;

// Keeps the station's history: each finished unit of the run record goes
// into the history folder, and each readout that identifies a board shows the
// board's past in the journal, after the readout's own lines.
class StationHistory final : public UnitListener {
 public:
  StationHistory(HostSystem& system, StationUi& ui, std::string folder);

  // Creates the folder when missing; false with a message for the operator.
  bool Open(std::string& error);

  void UnitIdentified(const RecordedUnit& unit) override;
  void UnitFinished(const RunData& run, const RecordedUnit& unit) override;

  // The first unit that could not be kept, as a message; empty when none.
  std::string WriteError() const;

 private:
  HistoryStore store_;
  StationUi& ui_;
  mutable std::mutex mutex_;
  std::string writeError_;
};

}  // namespace rz
