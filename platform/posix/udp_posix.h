#pragma once

#include "link/datagram_socket.h"

namespace rz {

// Datagram sockets on POSIX systems: BSD sockets, poll() for the waits, and
// the host's own address from its name.
class PosixDatagramBackend final : public DatagramBackend {
 public:
  bool Startup() override { return true; }  // nothing to start on POSIX
  std::unique_ptr<DatagramSocket> CreateSocket() override;
  std::optional<std::array<std::uint8_t, 4>> HostAddress() override;
};

}  // namespace rz
