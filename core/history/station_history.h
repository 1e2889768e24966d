#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "history/history_store.h"
#include "history/unit_forwarder.h"
#include "record/unit_listener.h"

namespace rz {

class StationUi;

// Keeps the station's history: each finished unit of the run record goes
// into the history folder, and each readout that identifies a board shows the
// board's past in the journal, after the readout's own lines. With a forward
// folder, each finished unit's file is also forwarded there (through the
// spool folder "spool" in the history folder).
class StationHistory final : public UnitListener {
 public:
  StationHistory(HostSystem& system, StationUi& ui, std::string folder, std::string forwardFolder = "");

  // Creates the folder when missing and starts forwarding; false with a
  // message for the operator.
  bool Open(std::string& error);

  // How forwarding stands; nothing without a forward folder.
  std::optional<UnitForwarder::State> ForwardState() const;
  const std::string& ForwardFolder() const { return forwardFolder_; }
  // A last delivery round, waited for up to `grace` (see UnitForwarder::Finish).
  void FinishForwarding(std::chrono::milliseconds grace);

  void UnitIdentified(const RecordedUnit& unit) override;
  void UnitFinished(const RunData& run, const RecordedUnit& unit) override;

  // The first unit that could not be kept, as a message; empty when none.
  std::string WriteError() const;

 private:
  HistoryStore store_;
  StationUi& ui_;
  std::string forwardFolder_;
  std::unique_ptr<UnitForwarder> forwarder_;
  mutable std::mutex mutex_;
  std::string writeError_;
};

}  // namespace rz
