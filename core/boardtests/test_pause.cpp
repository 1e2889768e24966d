#include "boardtests/test_pause.h"

#include <algorithm>

#include "context/station_context.h"

namespace rz {

bool PauseUnlessAborted(StationContext& station, std::chrono::milliseconds duration) {
  constexpr std::chrono::milliseconds kSlice{kReadTotalTimeoutMs};
  while (duration.count() > 0) {
    if (station.flags.AbortRequested()) return false;
    const std::chrono::milliseconds slice = std::min(duration, kSlice);
    station.Sleep(slice);
    duration -= slice;
  }
  return !station.flags.AbortRequested();
}

}  // namespace rz
