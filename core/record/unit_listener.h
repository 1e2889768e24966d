#pragma once

#include "record/run_data.h"

namespace rz {

// Hears the run record's units as they go: a readout identified the board of
// the unit that runs, and a unit is finished (the next one began or the run
// ended). Called without the record's lock held, on the thread that reported
// the event (the worker's, or the one that ends the run).
class UnitListener {
 public:
  virtual ~UnitListener() = default;
  // `unit` with everything its readouts have identified so far.
  virtual void UnitIdentified(const RecordedUnit& unit) = 0;
  // `run` holds the run's labels and options, without its units.
  virtual void UnitFinished(const RunData& run, const RecordedUnit& unit) = 0;
};

}  // namespace rz
