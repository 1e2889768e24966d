#pragma once

#include <cstdint>

#include "link/exchange_result.h"
#include "link/serial_channel.h"

namespace rz {

class LinkContext;
struct StationFlags;

// Status bytes of the test program.
inline constexpr std::uint8_t kStatusDone = 'Q';
inline constexpr std::uint8_t kStatusRefused = 'q';

// One command exchange with the test program over the serial port: writes the
// request fields little-endian and awaits the reply byte by byte, watching the
// abort flag after every read attempt. The abort flag is set back to 0 when the
// exchange ends, on every way out, so that ESC ends only the exchange in progress.
class SerialExchange {
 public:
  // `watchParamsRequest`: also end the wait when the parameters request flag is 1.
  explicit SerialExchange(LinkContext& link, bool watchParamsRequest = false);
  SerialExchange(const SerialExchange&) = delete;
  SerialExchange& operator=(const SerialExchange&) = delete;
  ~SerialExchange();

  void Write8(std::uint8_t value);
  void Write16(std::uint16_t value);
  void Write32(std::uint32_t value);

  // The await-byte step: reads until a byte arrives; false when the exchange
  // was ended by the abort flag (or the parameters request). A byte that arrives
  // in the same attempt as the abort is dropped.
  bool Await8(std::uint8_t& value);
  bool Await16(std::uint16_t& value);
  bool Await32(std::uint32_t& value);
  // Awaits `n` bytes, each by the await-byte step.
  bool AwaitBytes(std::uint8_t* bytes, std::size_t n);

 private:
  bool AwaitLittleEndian(std::uint32_t& value, int bytes);

  PortHandle port_;
  StationFlags& flags_;
  bool watchParamsRequest_;
};

}  // namespace rz
