#include "link/udp_commands.h"

#include <algorithm>
#include <array>
#include <vector>

#include "link/exchange.h"
#include "link/link_context.h"
#include "link/udp_channel.h"

namespace rz {
namespace {

void Put32(std::uint8_t* at, std::uint32_t value) {
  for (int k = 0; k < 4; ++k) at[k] = static_cast<std::uint8_t>(value >> (8 * k));
}

}  // namespace

ExchangeResult EraseFlashBlockUdp(LinkContext& link, std::uint32_t address) {
  std::array<std::uint8_t, 4> arguments{};
  Put32(arguments.data(), address);
  const std::size_t length = BuildRequest(link.udp, kUdpErase, arguments);
  return ExchangeDatagram(link, length, {kDatagramHeader, false});
}

ExchangeResult WriteFlashBlockUdp(LinkContext& link, std::uint32_t address, std::span<const std::uint8_t> data) {
  if (data.size() > kUdpPieceBytes) return kExchangeFailed;
  std::array<std::uint8_t, 8 + kUdpPieceBytes> arguments{};
  Put32(arguments.data(), address);
  Put32(arguments.data() + 4, static_cast<std::uint32_t>(data.size()));
  std::copy(data.begin(), data.end(), arguments.begin() + 8);
  const std::size_t length = BuildRequest(link.udp, kUdpWrite, std::span(arguments).first(8 + data.size()));
  return ExchangeDatagram(link, length, {kDatagramHeader, false});
}

ExchangeResult ReadFlashBlockUdp(LinkContext& link, std::uint32_t address, std::uint32_t length, std::uint8_t* into,
                                 bool identified) {
  if (length > kUdpPieceBytes) return kExchangeFailed;
  std::array<std::uint8_t, 8> arguments{};
  Put32(arguments.data(), address);
  Put32(arguments.data() + 4, length);
  const std::size_t requestLength = BuildRequest(link.udp, kUdpRead, arguments);
  const ExchangeResult result = ExchangeDatagram(link, requestLength, {kDatagramHeader + length, true, identified});
  if (result == kExchangeOk) std::copy_n(link.udp.reply.begin() + kDatagramHeader, length, into);
  return result;
}

}  // namespace rz
