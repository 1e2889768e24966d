#pragma once

#include <cstddef>
#include <cstdint>

#include "line_speed.h"

namespace rzsim {

// Time one byte takes on the line: a start bit, 8 data bits and a stop bit.
Clock::duration ByteTime(std::uint32_t baud);

// One direction of the serial line at its baud rate. Bytes queue up for the
// line; the pacer says how many of them have finished crossing it by a given
// moment, so the far end sees them no faster than the wire would carry them.
// The time is handed in, never read from a clock, so the arithmetic can be
// checked without waiting.
class LinePacer {
 public:
  // Call when bytes join an empty queue at `now`: an idle line starts
  // carrying them at once. A busy line goes on from where it is.
  void StartIfIdle(Clock::time_point now);
  // How many of the `pending` queued bytes have crossed the line by `now`
  // at `baud`; they no longer occupy it. Baud 0 (no rate) passes everything.
  std::size_t Take(Clock::time_point now, std::uint32_t baud, std::size_t pending);
  // When the next queued byte will have crossed the line.
  Clock::time_point NextDone(std::uint32_t baud) const { return free_ + ByteTime(baud); }

 private:
  Clock::time_point free_{};  // when the line finished the last byte it carried
};

}  // namespace rzsim
