#pragma once

#include <optional>

#include "app/outcome.h"

namespace rz {

struct OperationRow;

// Told of every operation started through StartOperation (the window's controls
// and the command line alike), for records kept beside the journal. Started is
// called on the thread that uses the control, before anything of the operation
// runs; Ended on the worker thread once the worker has returned (before the
// runner becomes idle), or at once on the control's thread when the operation
// did not start: `outcome` is then empty (refused, busy, not available). An
// operation that starts without a worker thread (it opens a window) ends at
// once with Success.
class OperationObserver {
 public:
  virtual ~OperationObserver() = default;
  virtual void OperationStarted(const OperationRow& row) = 0;
  virtual void OperationEnded(const OperationRow& row, std::optional<Outcome> outcome) = 0;
};

}  // namespace rz
