#pragma once

#include "app/board_identity.h"

namespace rz {

// Hears the results of the operations as values, beside the journal that shows
// them to the operator (a run record keeps them). Called on the worker thread.
class ResultSink {
 public:
  virtual ~ResultSink() = default;
  // Once per configuration readout that read at least one section.
  virtual void BoardIdentified(const BoardIdentity& identity) = 0;
};

}  // namespace rz
