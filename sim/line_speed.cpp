#include "line_speed.h"

namespace rzsim {

std::uint32_t BaudFromSpeed(speed_t speed) {
  switch (speed) {
    case B50: return 50;
    case B75: return 75;
    case B110: return 110;
    case B134: return 134;
    case B150: return 150;
    case B200: return 200;
    case B300: return 300;
    case B600: return 600;
    case B1200: return 1200;
    case B1800: return 1800;
    case B2400: return 2400;
    case B4800: return 4800;
    case B9600: return 9600;
    case B19200: return 19200;
    case B38400: return 38400;
    case B57600: return 57600;
    case B115200: return 115200;
    case B230400: return 230400;
    default: return 0;
  }
}

void LineSpeedWatch::Observe(std::uint32_t baud, Clock::time_point now) {
  if (baud == kBootBaud && last_ != kBootBaud) resetAt_ = now + kResetDelay;
  last_ = baud;
}

bool LineSpeedWatch::TakeDueReset(Clock::time_point now) {
  if (!resetAt_ || now < *resetAt_) return false;
  resetAt_.reset();
  return true;
}

}  // namespace rzsim
