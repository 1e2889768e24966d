#pragma once

#include <cstdint>

namespace rz {

// How an exchange with the board ended: a valid answer, or none (no port or
// socket, ESC, no reply, a refusal, a reply that is not valid).
enum class ExchangeResult : std::uint8_t { Ok, Failed };
inline constexpr ExchangeResult kExchangeOk = ExchangeResult::Ok;
inline constexpr ExchangeResult kExchangeFailed = ExchangeResult::Failed;

}  // namespace rz
