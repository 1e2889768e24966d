#pragma once

#include <array>
#include <cstdint>
#include "link/exchange_result.h"

namespace rz {

class LinkContext;

// Serial commands that start and stop the test program's work through
// Ethernet: 'a' and the four address bytes (first number first, each written
// on its own), and 'b'. Both are answered 'Q'; any other byte, or none within
// 240 reads (about 12 s), is a failure, and so is the abort flag.
ExchangeResult EnableEthernet(LinkContext& link, const std::array<std::uint8_t, 4>& address);
ExchangeResult DisableEthernet(LinkContext& link);

}  // namespace rz
