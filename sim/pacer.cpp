#include "pacer.h"

#include <algorithm>

namespace rzsim {

namespace {
constexpr std::int64_t kBitsPerByte = 10;
}

Clock::duration ByteTime(std::uint32_t baud) {
  if (baud == 0) return Clock::duration::zero();
  const auto ns = std::chrono::nanoseconds(std::chrono::seconds(kBitsPerByte)) / baud;
  return std::chrono::duration_cast<Clock::duration>(ns);
}

void LinePacer::StartIfIdle(Clock::time_point now) {
  if (free_ < now) free_ = now;
}

std::size_t LinePacer::Take(Clock::time_point now, std::uint32_t baud, std::size_t pending) {
  const Clock::duration byte = ByteTime(baud);
  if (byte == Clock::duration::zero()) return pending;
  if (pending == 0 || now < free_ + byte) return 0;
  const auto done = static_cast<std::size_t>((now - free_) / byte);
  const std::size_t n = std::min(pending, done);
  free_ += byte * static_cast<std::int64_t>(n);
  return n;
}

}  // namespace rzsim
