#pragma once

#include <functional>
#include <optional>

#include "production/profile.h"
#include "app/unit_verdict.h"

namespace rz {

class Station;

// One board's run of a profile's sequence, the same for the windows (which
// start it once the operator's download has succeeded) and the command line:
// starts each operation as its control would, with the profile's arguments,
// on the thread that calls Run; stops an operation that outlasts its time
// limit as ESC stops it; asks for the serial number after the download when
// the profile wants it; stops at the first operation that does not succeed;
// then judges the measurements, adds the verdict's lines to the journal,
// shows the verdict on the status line, sounds the end signal and hands the
// verdict to the station's result sink.
class BoardSequence {
 public:
  BoardSequence(Station& station, const Profile& profile) : station_(station), profile_(profile) {}

  // Runs the steps from `firstStep` on (the windows start after the
  // download). `abandon` is asked while an operation runs: when it says so,
  // Run returns nothing at once and leaves the operation running (the
  // command line's second Ctrl-C). `askSerialFirst`: the download has just
  // run, ask for the serial number before the first step.
  std::optional<UnitVerdict> Run(std::size_t firstStep, bool askSerialFirst, const std::function<bool()>& abandon);

 private:
  // Runs one step; false when abandoned.
  bool RunStep(const ProfileStep& step, StepResult& result, const std::function<bool()>& abandon);
  void AskSerial();

  Station& station_;
  const Profile& profile_;
};

}  // namespace rz
