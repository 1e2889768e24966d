#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/ip_address.h"

namespace rz {

// An IPv4 address and UDP port. The address bytes are in dotted order (the
// first number first); the port is a plain number (13330 travels as 0x34 0x12).
struct Ipv4Endpoint {
  std::array<std::uint8_t, 4> address{};
  std::uint16_t port = 0;

  bool IsLoopback() const { return address[0] == 127; }
  bool operator==(const Ipv4Endpoint&) const = default;
};

// One datagram socket as the platform gives it. Backends: BSD sockets
// (udp_posix) and Windows Sockets (udp_win32); tests may wrap one to watch it.
class DatagramSocket {
 public:
  virtual ~DatagramSocket() = default;
  // Binds the socket to a local address; false when the system refuses.
  virtual bool Bind(const Ipv4Endpoint& local) = 0;
  // Sends one datagram; false when the system refused it.
  virtual bool SendTo(const std::uint8_t* data, std::size_t n, const Ipv4Endpoint& to) = 0;
  // Waits at most `timeout` for a datagram to arrive: 1 when one is waiting,
  // 0 when the time ran out, -1 on an error.
  virtual int WaitReadable(std::chrono::microseconds timeout) = 0;
  // Takes one waiting datagram without blocking. Copies at most `capacity`
  // bytes into `buffer` and returns the datagram's full length (which may be
  // larger than `capacity`: the rest is discarded), 0 with `wouldBlock` set
  // when none is waiting, or -1 on an error.
  virtual long ReceiveFrom(std::uint8_t* buffer, std::size_t capacity, Ipv4Endpoint& from,
                           bool& wouldBlock) = 0;
};

// Creates datagram sockets and answers what the platform knows about the host.
class DatagramBackend {
 public:
  virtual ~DatagramBackend() = default;
  // Starts the platform's socket layer; false when it cannot be used.
  virtual bool Startup() = 0;
  // A new unbound IPv4 UDP socket, or nullptr.
  virtual std::unique_ptr<DatagramSocket> CreateSocket() = 0;
  // The first IPv4 address that the computer's own name resolves to, or
  // nothing when the name cannot be looked up or has no IPv4 address.
  virtual std::optional<std::array<std::uint8_t, 4>> HostAddress() = 0;
};

}  // namespace rz
