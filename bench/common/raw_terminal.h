#pragma once

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <string>

namespace rz::bench {

// Opens the board's link as a bare raw terminal at 115200 baud, for the raw
// loops the station's figures are measured against.
inline int OpenRaw(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
  termios tio{};
  ::tcgetattr(fd, &tio);
  ::cfmakeraw(&tio);
  ::cfsetspeed(&tio, B115200);
  tio.c_cc[VMIN] = 1;
  tio.c_cc[VTIME] = 0;
  ::tcsetattr(fd, TCSANOW, &tio);
  return fd;
}

}  // namespace rz::bench
