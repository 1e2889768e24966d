#include "session/run_end.h"

#include "operations/station.h"

namespace rz {

RunEnd::Step RunEnd::Poll(Clock::time_point now) {
  if (!station_.runner.Busy()) return Step::Stopped;
  station_.flags.RequestAbort();
  return now >= giveUpAt_ ? Step::GaveUp : Step::Waiting;
}

}  // namespace rz
