#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "ext_channels_model.h"

#include "flash_faults.h"

#include "udp_faults.h"

namespace rzsim {

// Failure modes chosen on the command line. The defaults describe a sound board.
// A place in one pass of the SDRAM test: pass 1 or 2, a byte address.
struct SdramFault {
  std::uint32_t pass = 1;
  std::uint32_t address = 0;
};

struct Faults {
  bool silent = false;             // the board never sends anything
  std::uint32_t bootNoise = 0;     // bytes of noise the boot ROM sends before '<'
  bool noBootAck = false;          // the boot ROM takes the first stage and then hangs
  bool noBootDone = false;         // the loaded program never starts
  std::uint32_t loseByte = 0;      // 1-based index of the download byte lost on the line; 0: none
  bool ethFail = false;            // the Ethernet controller does not answer
  std::uint8_t ethClose = 'Q';     // closing byte of the Ethernet parameters
  std::uint8_t clockAnswer = '9';  // answer to the clock switch; 'Q' keeps 74 MHz

  // SDRAM: words that read back wrong in the compare of a pass; a block whose
  // write fails in a pass; the board hangs from the Nth 'm' after the download.
  std::vector<SdramFault> sdramErrors;
  std::optional<SdramFault> sdramWriteFail;
  std::uint32_t sdramSilentFrom = 0;  // 0: never
  // Ethernet: the Kth test step after the controller's initialisation fails.
  std::uint32_t ethStepFail = 0;  // 0: none
  // RTC: the counter at power-on, and how it runs.
  std::uint32_t rtcStart = 1000;
  bool rtcStopped = false;
  bool rtcFast = false;  // counts two seconds for every second
  // Service port: the byte at this loop index comes back changed; the line
  // status byte and the Old, True and Read words after the loop; the one
  // variant's opcode the program knows ('C' v7, 'c' v5; 0: both).
  std::optional<std::uint32_t> serviceMismatch;
  std::uint8_t serviceStatus = 0;
  std::array<std::uint32_t, 3> serviceWords = {0x0000, 0x0001, 0x0001};
  std::uint8_t serviceVariant = 0;
  ExtChannelsFaults extChannels;   // external channel commands
  bool badDataBus = false;         // the external channels' data-bus check fails
  FlashFaults flash;               // refusals, read faults and silence of the Flash commands
  UdpFaults udp;                   // the Ethernet switch and the UDP commands
};

}  // namespace rzsim
