#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <optional>

#include "board_memory.h"
#include "bytes.h"
#include "udp_commands.h"
#include "udp_faults.h"

namespace rzsim {

// The board's network side: while the station has switched Ethernet work on,
// a UDP socket bound to the address it sent (port 13330) that answers the
// Flash commands. Answers may be delayed or duplicated; the forged answers of
// the stranger faults come from the board's address with 1 added to its last
// byte, or from the board's own address and the port after 13330.
class UdpSide {
 public:
  using Clock = std::chrono::steady_clock;

  UdpSide(const UdpFaults& faults, const FlashFaults& flashFaults, std::FILE* log)
      : faults_(faults), commands_(faults, flashFaults), log_(log) {}
  ~UdpSide();
  UdpSide(const UdpSide&) = delete;
  UdpSide& operator=(const UdpSide&) = delete;

  // Binds to `address` (closing any other binding), or closes when nothing.
  void Follow(const std::optional<std::array<std::uint8_t, 4>>& address);
  // The socket to poll for requests, or -1.
  int fd() const { return fd_; }
  // Takes every waiting request and answers (or queues the answer).
  void ReceiveAll(BoardMemory& memory);
  // Sends the answers that are due.
  void SendDue(Clock::time_point now);
  // When the next queued answer is due.
  std::optional<Clock::time_point> NextDue() const;

 public:
  struct Pending {
    Clock::time_point due;
    Bytes bytes;
    std::array<std::uint8_t, 4> toAddress;
    std::uint16_t toPort;
  };

 private:
  void Close();
  // Queues an answer in the order it is due.
  void Queue(Pending answer);
  void Send(int fd, const Pending& answer);
  int OpenSocket(const std::array<std::uint8_t, 4>& address, std::uint16_t port);

  const UdpFaults& faults_;
  UdpCommands commands_;
  std::FILE* log_;
  std::optional<std::array<std::uint8_t, 4>> bound_;
  int fd_ = -1;
  int strangerFd_ = -1;
  int strangerPortFd_ = -1;
  std::uint32_t answered_ = 0;
  std::deque<Pending> pending_;
};

}  // namespace rzsim
