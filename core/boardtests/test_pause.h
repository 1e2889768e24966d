#pragma once

#include <chrono>

namespace rz {

class StationContext;

// A pause of an operation that ESC may cut short: sleeps through the station's
// sleeper in slices of one serial read time-out (50 ms), so that an ESC is seen
// as quickly as by a wait for the board. Returns false when the abort flag was
// found set (the flag is left as it is: the operation decides what follows),
// true when the whole pause has passed.
bool PauseUnlessAborted(StationContext& station, std::chrono::milliseconds duration);

}  // namespace rz
