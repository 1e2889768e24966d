#pragma once

#include <array>
#include <cstdint>
#include "link/exchange_result.h"

namespace rz {

class StationContext;

// The board's identification and parameters, as the test program reports them.

struct CpuId {
  std::uint32_t unique = 0;
  std::array<std::uint32_t, 4> random{};  // R1..R4 in arrival order
};

struct FlashId {
  std::uint8_t busWidth = 0;
  std::uint32_t manufacturer = 0;  // only the low 16 bits mean something
  std::uint32_t device = 0;        // only the low 16 bits mean something
  std::uint32_t cfi = 0;
  std::array<std::uint32_t, 4> security{};  // W0..W3 in arrival order
};

struct EthernetConfig {
  std::uint8_t eeprom = 0;
  std::uint8_t duplex = 0;
  std::uint16_t baseAddress = 0;
  std::uint16_t interruptLine = 0;
  std::uint8_t voltage = 0;
};

// 'j': five 32-bit words. Fails (1) only when aborted.
ExchangeResult ReadCpuId(StationContext& station, CpuId& id);
// 's': the SDRAM configuration word. Fails (1) only when aborted.
ExchangeResult ReadSdramConfig(StationContext& station, std::uint32_t& word);
// '?': bus width, manufacturer, device, CFI word, 16-byte security ID.
ExchangeResult ReadFlashId(StationContext& station, FlashId& id);
// 'i': 'q' alone, or the fields and a closing 'Q'. 0 only for the closing 'Q'.
ExchangeResult ReadEthernetConfig(StationContext& station, EthernetConfig& config);
// 'M': awaits the board's byte and echoes it. 0 with `answer` set, 1 when aborted.
ExchangeResult SwitchCpuClock(StationContext& station, std::uint8_t& answer);

}  // namespace rz
