#include "link/exchange.h"

#include "link/link_context.h"

namespace rz {

SerialExchange::SerialExchange(LinkContext& link, bool watchParamsRequest)
    : port_(link.Port()), flags_(link.flags), watchParamsRequest_(watchParamsRequest) {}

SerialExchange::~SerialExchange() { flags_.ClearAbort(); }

void SerialExchange::Write8(std::uint8_t value) { SerialWrite(port_, &value, 1); }

void SerialExchange::Write16(std::uint16_t value) {
  const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8)};
  SerialWrite(port_, bytes, sizeof bytes);
}

void SerialExchange::Write32(std::uint32_t value) {
  std::uint8_t bytes[4];
  for (int k = 0; k < 4; ++k) bytes[k] = static_cast<std::uint8_t>(value >> (8 * k));
  SerialWrite(port_, bytes, sizeof bytes);
}

bool SerialExchange::Await8(std::uint8_t& value) {
  for (;;) {
    std::uint8_t byte = 0;
    const std::size_t got = SerialRead(port_, &byte, 1);
    if (flags_.AbortRequested()) return false;
    if (watchParamsRequest_ && flags_.paramsRequest.load() == 1) return false;
    if (got == 1) {
      value = byte;
      return true;
    }
  }
}

bool SerialExchange::AwaitLittleEndian(std::uint32_t& value, int bytes) {
  value = 0;
  for (int k = 0; k < bytes; ++k) {
    std::uint8_t byte = 0;
    if (!Await8(byte)) return false;
    value |= static_cast<std::uint32_t>(byte) << (8 * k);
  }
  return true;
}

bool SerialExchange::Await16(std::uint16_t& value) {
  std::uint32_t wide = 0;
  const bool ok = AwaitLittleEndian(wide, 2);
  value = static_cast<std::uint16_t>(wide);
  return ok;
}

bool SerialExchange::Await32(std::uint32_t& value) { return AwaitLittleEndian(value, 4); }

bool SerialExchange::AwaitBytes(std::uint8_t* bytes, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    if (!Await8(bytes[i])) return false;
  }
  return true;
}

}  // namespace rz
