#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>

#include "board_memory.h"
#include "bytes.h"
#include "flash_faults.h"
#include "udp_faults.h"

namespace rzsim {

inline constexpr std::uint16_t kUdpPort = 13330;
inline constexpr std::uint8_t kUdpErase = 'E';
inline constexpr std::uint8_t kUdpWrite = 'W';
inline constexpr std::uint8_t kUdpRead = 'R';
inline constexpr std::uint8_t kUdpDone = 'Q';
inline constexpr std::uint8_t kUdpFailed = 'F';
inline constexpr std::size_t kUdpMaxPiece = 512;

// The test program's Flash commands over UDP, on the board's Flash array:
// 'E' erases the block holding the address (all bytes 0xFF), 'W' programs
// bytes (programming only clears bits; a byte that cannot take its value fails
// the command; the pieces the Flash faults leave unprogrammed keep their bytes
// and count as taken), 'R' reads. A datagram without the magic, of an unknown command
// or of the wrong length gets no answer; a command the Flash refuses gets
// status 'F'.
class UdpCommands {
 public:
  UdpCommands(const UdpFaults& faults, const FlashFaults& flashFaults) : faults_(faults), flashFaults_(flashFaults) {}

  // The answer to one request, or nothing when the board stays silent.
  std::optional<Bytes> Answer(std::span<const std::uint8_t> request, BoardMemory& memory);
  // How much later than the others the answer to `request` leaves: the Flash
  // write delay for a write.
  std::chrono::milliseconds ExtraDelay(std::span<const std::uint8_t> request) const;

 private:
  Bytes Execute(std::uint8_t command, std::span<const std::uint8_t> args, BoardMemory& memory);
  void ApplyReplyFaults(std::uint8_t command, Bytes& reply);

  const UdpFaults& faults_;
  const FlashFaults& flashFaults_;
  std::uint64_t received_ = 0;
  std::uint64_t faulty_ = 0;  // replies the reply faults have hit
};

}  // namespace rzsim
