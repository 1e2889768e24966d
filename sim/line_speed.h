#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

#include <termios.h>

namespace rzsim {

using Clock = std::chrono::steady_clock;

inline constexpr std::uint32_t kBootBaud = 9600;
inline constexpr std::uint32_t kProgramBaud = 115200;
inline constexpr std::uint32_t kFastClockBaud = 57600;

// The integer rate of a termios speed constant; 0 for B0 and unknown values.
std::uint32_t BaudFromSpeed(speed_t speed);

// Two readings of the station's line speed taken around one batch of input:
// one before waiting for it and one after reading it. A station may change
// its speed right after writing (the clock switch echo is followed at once by
// the switch to the new rate), so a byte counts as sent at the right speed
// when either reading matches.
struct SpeedSamples {
  std::uint32_t before = 0;
  std::uint32_t after = 0;
  bool Matches(std::uint32_t baud) const { return before == baud || after == baud; }
};

// Watches the station's line speed and asks for a reset a little after the
// station switches to the boot ROM's 9600 baud: the download starts by doing
// that and purging its input, so only a '<' sent after the switch is seen.
class LineSpeedWatch {
 public:
  static constexpr std::chrono::milliseconds kResetDelay{100};

  explicit LineSpeedWatch(std::uint32_t initialBaud) : last_(initialBaud) {}

  // Records a reading of the station's speed taken at `now`.
  void Observe(std::uint32_t baud, Clock::time_point now);
  // True once when a reset asked for by a switch to 9600 has become due.
  bool TakeDueReset(Clock::time_point now);
  // The time of the pending reset, if any.
  std::optional<Clock::time_point> PendingReset() const { return resetAt_; }

 private:
  std::uint32_t last_;
  std::optional<Clock::time_point> resetAt_;
};

}  // namespace rzsim
