#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace rz {

// What a configuration readout learnt of the board, as values rather than
// journal text. A section the readout could not read (ESC, a controller that
// did not answer) is empty; inside a section, a code the station has no name
// for is an empty optional (or Unknown) beside the code itself.
struct BoardIdentity {
  struct Processor {
    // The clock the CPU clock selector showed (the journal's line follows it,
    // not the board): 74 or 90.
    int clockMhz = 74;
    std::uint32_t uniqueId = 0;
    std::array<std::uint32_t, 4> randomId{};  // R1..R4 in arrival order
  };

  struct Sdram {
    static constexpr int kChips = 2;  // two chips side by side
    std::uint32_t configWord = 0;     // as the board reported it
    std::optional<int> chipMegabytes;  // 8 or 16
    std::optional<int> chipWidthBits;  // 8 or 16
    std::optional<int> casLatency;     // 2 or 3
    std::optional<int> TotalMegabytes() const {
      return chipMegabytes ? std::optional<int>(kChips * *chipMegabytes) : std::nullopt;
    }
  };

  enum class FlashMaker { Unknown, Atmel, Intel, Samsung };
  enum class BootBlock { Bottom, Top };

  struct Flash {
    int busWidthBits = 0;  // as reported; 8, 16 and 32 are the known widths
    std::uint16_t makerCode = 0;
    FlashMaker maker = FlashMaker::Unknown;
    std::uint16_t deviceCode = 0;
    bool cfi = false;   // the CFI word read back as "QQ"
    std::string part;   // e.g. "AT49BV322A"; empty for a device code not known
    BootBlock boot = BootBlock::Bottom;
    std::array<std::uint32_t, 4> securityId{};  // W0..W3 in arrival order
  };

  struct Ethernet {
    std::optional<bool> eeprom;      // an EEPROM fitted
    std::optional<bool> fullDuplex;  // false: half duplex
    std::uint16_t baseAddress = 0;
    std::optional<int> irq;                // 0..3; empty: the interrupt is disabled
    std::optional<int> supplyMillivolts;   // 5000 or 3300
  };

  std::optional<Processor> processor;
  std::optional<Sdram> sdram;
  std::optional<Flash> flash;
  std::optional<Ethernet> ethernet;

  bool Empty() const { return !processor && !sdram && !flash && !ethernet; }
};

}  // namespace rz
