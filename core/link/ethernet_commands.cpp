#include "link/ethernet_commands.h"

#include "link/exchange.h"
#include "link/link_context.h"

namespace rz {
namespace {

constexpr std::uint8_t kEnableEthernet = 'a';
constexpr std::uint8_t kDisableEthernet = 'b';
// Read attempts for the answer; the byte of the last attempt is not looked at.
constexpr int kAnswerReads = 240;

ExchangeResult AwaitEthernetAnswer(LinkContext& link) {
  for (int read = 1; read <= kAnswerReads; ++read) {
    std::uint8_t byte = 0;
    const std::size_t got = SerialRead(link.Port(), &byte, 1);
    if (link.flags.AbortRequested()) return kExchangeFailed;
    if (got == 1 && read < kAnswerReads) return byte == kStatusDone ? kExchangeOk : kExchangeFailed;
  }
  return kExchangeFailed;
}

}  // namespace

ExchangeResult EnableEthernet(LinkContext& link, const std::array<std::uint8_t, 4>& address) {
  SerialWrite(link.Port(), &kEnableEthernet, 1);
  for (const std::uint8_t byte : address) SerialWrite(link.Port(), &byte, 1);
  return AwaitEthernetAnswer(link);
}

ExchangeResult DisableEthernet(LinkContext& link) {
  SerialWrite(link.Port(), &kDisableEthernet, 1);
  return AwaitEthernetAnswer(link);
}

}  // namespace rz
