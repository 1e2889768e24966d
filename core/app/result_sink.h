#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "app/board_identity.h"
#include "app/measurement.h"
#include "app/unit_verdict.h"

namespace rz {

// What the read-back after a Flash write found.
struct FlashCheck {
  // The Flash as last read over the written range (from address 0); valid
  // during the call only.
  std::span<const std::uint8_t> flash;
  bool matches = false;          // the Flash holds the image byte for byte
  int piecesReadAgain = 0;       // pieces re-read because they differed or were in doubt
  int piecesWrittenAgain = 0;
  // The 512-byte pieces that still differ at the end, and the first differing
  // byte of each of the first few of them.
  int differingPieces = 0;
  std::vector<std::uint32_t> firstDifferingAddresses;
};

// Hears the results of the operations as values, beside the journal that shows
// them to the operator (a run record keeps them). Called on the worker thread.
class ResultSink {
 public:
  virtual ~ResultSink() = default;
  // Once per configuration readout that read at least one section.
  virtual void BoardIdentified(const BoardIdentity& identity) = 0;
  // Once per write that was read back, whatever the outcome.
  virtual void FlashChecked(const FlashCheck& check) = 0;
  // Every value an operation measured (a test's error count, a transfer's
  // resends), in the order measured.
  virtual void Measured(const Measurement& measurement) { (void)measurement; }
  // The operator gave the serial number of the board being tested.
  virtual void SerialNumberGiven(const std::string& serial) { (void)serial; }
  // A production sequence has judged the board.
  virtual void UnitJudged(const UnitVerdict& verdict) { (void)verdict; }
};

}  // namespace rz
