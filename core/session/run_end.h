#pragma once

#include <chrono>

namespace rz {

class Station;

// Ending a run that something outside the station asked to end (a termination
// signal, the window taken away): ESC is pressed again and again, since an
// operation may be made of several waits and the next one may just be
// starting, until no operation runs or the grace time has passed. The caller
// then writes the results log either way.
class RunEnd {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::seconds kGrace{5};

  RunEnd(Station& station, Clock::time_point now) : station_(station), giveUpAt_(now + kGrace) {}

  enum class Step { Waiting, Stopped, GaveUp };
  // Presses ESC while an operation runs. Stopped once none runs; GaveUp when
  // one still runs after the grace time.
  Step Poll(Clock::time_point now);

 private:
  Station& station_;
  Clock::time_point giveUpAt_;
};

}  // namespace rz
