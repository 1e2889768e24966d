#include "flash/flash_unit.h"

#include <algorithm>
#include <vector>

#include "context/station_context.h"
#include "flash/flash_texts.h"
#include "link/exchange.h"

namespace rz {
namespace {

void PutLe32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int k = 0; k < 4; ++k) out.push_back(static_cast<std::uint8_t>(value >> (8 * k)));
}

// The reply rule of 'e', 't' and 'w': 'q' and two words is a failure with the
// mask of their difference; any other status byte is success.
FlashReply AwaitFlashReply(SerialExchange& exchange) {
  std::uint8_t status = 0;
  if (!exchange.Await8(status)) return {};
  if (status != kStatusRefused) return {.ok = true};
  std::uint32_t a = 0;
  std::uint32_t b = 0;
  if (!exchange.Await32(a) || !exchange.Await32(b)) return {};
  return {.ok = false, .mask = FaultMask(a, b)};
}

}  // namespace

const char* FaultMaskText(unsigned mask) {
  switch (mask & (kFaultFl0 | kFaultFl1)) {
    case kFaultFl0: return text::kMaskFl0;
    case kFaultFl1: return text::kMaskFl1;
    case kFaultFl0 | kFaultFl1: return text::kMaskBoth;
    default: return "";
  }
}

const char* RetryText() { return text::kRetry; }

FlashReply EraseFlashBlock(StationContext& station, std::uint32_t address) {
  SerialExchange exchange(station);
  exchange.Write8('e');
  exchange.Write32(address);
  return AwaitFlashReply(exchange);
}

FlashReply TestFlashRange(StationContext& station, std::uint32_t address, std::uint32_t length) {
  SerialExchange exchange(station);
  exchange.Write8('t');
  exchange.Write32(address);
  exchange.Write32(length);
  return AwaitFlashReply(exchange);
}

std::uint8_t FlashChecksum(std::span<const std::uint8_t> data) {
  std::uint8_t sum = 0;
  for (std::uint8_t byte : data) sum = static_cast<std::uint8_t>(sum + byte);
  return static_cast<std::uint8_t>(0u - sum);
}

FlashReply WriteFlashBlock(StationContext& station, std::uint32_t address, std::span<const std::uint8_t> data) {
  SerialExchange exchange(station);
  // The whole request in one write: opcode, address, length, data, checksum.
  std::vector<std::uint8_t> request;
  request.reserve(data.size() + 10);
  request.push_back('w');
  PutLe32(request, address);
  PutLe32(request, static_cast<std::uint32_t>(data.size()));
  request.insert(request.end(), data.begin(), data.end());
  request.push_back(FlashChecksum(data));
  SerialWrite(station.Port(), request.data(), request.size());
  return AwaitFlashReply(exchange);
}

bool ReadFlashBlock(StationContext& station, std::uint32_t address, std::span<std::uint8_t> data) {
  const PortHandle port = station.Port();
  std::vector<std::uint8_t> request;
  request.push_back('r');
  PutLe32(request, address);
  PutLe32(request, static_cast<std::uint32_t>(data.size()));
  SerialWrite(port, request.data(), request.size());

  // The reply is asked for whole in the first read attempt; the positions that
  // attempt did not bring are then awaited byte by byte.
  std::vector<std::uint8_t> reply(data.size() + 1);
  const std::size_t arrived =
      port != nullptr ? port->Read(reply.data(), reply.size(), std::chrono::milliseconds(kReadTotalTimeoutMs))
                      : SerialRead(port, reply.data(), reply.size());
  if (station.flags.AbortRequested()) return false;
  std::uint8_t last = arrived > 0 ? reply[arrived - 1] : 'r';  // what a lost position keeps
  // Awaits one byte for up to 224 attempts; false on an abort. The flag is
  // looked at after every attempt, as in every other wait, so that ESC ends a
  // reply that is still streaming in as promptly as one that has stopped.
  auto await = [&](std::uint8_t& into) {
    for (int attempt = 0; attempt < kReadAttemptsPerByte; ++attempt) {
      std::uint8_t byte = 0;
      const std::size_t got = SerialRead(port, &byte, 1);
      if (station.flags.AbortRequested()) return false;
      if (got == 1) {
        last = byte;
        into = byte;
        return true;
      }
    }
    into = last;
    return true;
  };
  for (std::size_t i = arrived; i < reply.size(); ++i) {
    if (!await(reply[i])) return false;
  }
  std::copy(reply.begin(), reply.end() - 1, data.begin());
  std::uint8_t sum = 0;
  for (std::uint8_t byte : reply) sum = static_cast<std::uint8_t>(sum + byte);
  return sum == 0;
}

std::string FormatText(std::string_view pattern, std::string_view value) {
  std::size_t at = pattern.find('%');
  while (at != std::string_view::npos && at + 1 < pattern.size() && pattern[at + 1] != 's' &&
         pattern[at + 1] != 'd') {
    at = pattern.find('%', at + 1);
  }
  if (at == std::string_view::npos || at + 1 >= pattern.size()) return std::string(pattern);
  std::string out(pattern.substr(0, at));
  out += value;
  out += pattern.substr(at + 2);
  return out;
}

std::string ProgressText(std::string_view header, std::uint32_t percent) {
  return std::string(header) + std::to_string(percent) + "%";
}

}  // namespace rz
