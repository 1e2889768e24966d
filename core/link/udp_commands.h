#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include "link/exchange_result.h"

namespace rz {

class LinkContext;

// The Flash commands over UDP. Each is one ExchangeDatagram (at most 5 sends,
// 3 waits per send) and returns kExchangeOk or kExchangeFailed.
inline constexpr std::uint8_t kUdpErase = 'E';
inline constexpr std::uint8_t kUdpWrite = 'W';
inline constexpr std::uint8_t kUdpRead = 'R';
// The most data bytes one datagram carries.
inline constexpr std::size_t kUdpPieceBytes = 512;

// 'E' + block address (12 bytes). Reply: at least 8 bytes. Leaves the abort
// flag as it is.
ExchangeResult EraseFlashBlockUdp(LinkContext& link, std::uint32_t address);

// 'W' + address + length L + L data bytes (16 + L bytes). Reply: at least 8
// bytes. Leaves the abort flag as it is, so that ESC ends the writing as it
// ends the erasing and the reading. More than 512 bytes fail without sending.
ExchangeResult WriteFlashBlockUdp(LinkContext& link, std::uint32_t address, std::span<const std::uint8_t> data);

// 'R' + address + length L (16 bytes). Reply: exactly 8 + L bytes, whose last L
// bytes are copied to `into` (which must hold L bytes) on success. Leaves the
// abort flag as it is. More than 512 bytes fail without sending. With
// `identified`, the caller has made sure that no other request in flight asks
// for `length` bytes: a datagram of another length is then a late answer to
// an earlier request, dropped while the exchange goes on waiting.
ExchangeResult ReadFlashBlockUdp(LinkContext& link, std::uint32_t address, std::uint32_t length, std::uint8_t* into,
                                 bool identified = false);

// Runs a command and, when it fails, once more: a failed Flash command over
// UDP is repeated once (without a journal line) before the transfer gives up.
template <typename Command>
ExchangeResult WithOneRepetition(Command&& command) {
  if (command() == kExchangeOk) return kExchangeOk;
  return command();
}

}  // namespace rz
