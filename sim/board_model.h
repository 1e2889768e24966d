#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "ext_channels_model.h"

namespace rzsim {

// What the Flash answers to its identification read.
struct FlashIdentity {
  std::uint8_t busWidth = 32;
  std::uint32_t manufacturer = 0;
  std::uint32_t device = 0;
  std::uint32_t cfi = 0;
};

// One of the chip types the board can carry.
struct FlashChip {
  std::string_view name;  // as given on the command line, lower case
  FlashIdentity identity;
};

// The chip types, in the order the usage text lists them. The data bus is
// 32 bits wide: two 16-bit chips side by side, so every 16-bit code of the
// chip appears in both halves of the 32-bit word read back.
const std::array<FlashChip, 8>& FlashChips();
std::optional<FlashIdentity> FindFlashChip(std::string_view name);

struct CpuId {
  std::uint32_t unique = 0x0C7312A5;
  std::array<std::uint32_t, 4> random = {0x11223344, 0x55667788, 0x99AABBCC, 0xDDEEFF01};
};

struct EthernetParams {
  std::uint8_t eeprom = 1;    // 1: EEPROM fitted
  std::uint8_t duplex = 0;    // 0: half duplex
  std::uint16_t base = 0x0300;
  std::uint16_t irq = 1;      // 0..3: IRQ0..IRQ3, anything else: disabled
  std::uint8_t voltage = 1;   // 0: 5.0 V, 1: 3.3 V
};

// The hardware the test program reports on.
struct BoardModel {
  CpuId cpu;
  // CAS latency 2, 64 Mbit chips, 16 bits wide: two chips make 16 MB.
  std::uint32_t sdramConfig = 0x122;
  FlashIdentity flash = *FindFlashChip("at49bv322a");
  std::array<std::uint32_t, 4> securityId = {0x5EC00001, 0x5EC00002, 0x5EC00003, 0x5EC00004};
  EthernetParams ethernet;
  ExtChannelsModel extChannels;
};

}  // namespace rzsim
