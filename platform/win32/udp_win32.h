#pragma once

#include "link/datagram_socket.h"

namespace rz {

// Datagram sockets on Windows: Winsock 2, select() for the waits, and the
// host's own address from its name.
class Win32DatagramBackend final : public DatagramBackend {
 public:
  Win32DatagramBackend() = default;
  ~Win32DatagramBackend() override;
  Win32DatagramBackend(const Win32DatagramBackend&) = delete;
  Win32DatagramBackend& operator=(const Win32DatagramBackend&) = delete;

  // WSAStartup, once; WSACleanup when the backend goes.
  bool Startup() override;
  std::unique_ptr<DatagramSocket> CreateSocket() override;
  std::optional<std::array<std::uint8_t, 4>> HostAddress() override;

 private:
  bool started_ = false;
};

}  // namespace rz
