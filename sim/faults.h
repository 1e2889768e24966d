#pragma once

#include <cstdint>

#include "udp_faults.h"

namespace rzsim {

// Failure modes chosen on the command line. The defaults describe a sound board.
struct Faults {
  bool silent = false;             // the board never sends anything
  std::uint32_t bootNoise = 0;     // bytes of noise the boot ROM sends before '<'
  bool noBootAck = false;          // the boot ROM takes the first stage and then hangs
  bool noBootDone = false;         // the loaded program never starts
  std::uint32_t loseByte = 0;      // 1-based index of the download byte lost on the line; 0: none
  bool ethFail = false;            // the Ethernet controller does not answer
  std::uint8_t ethClose = 'Q';     // closing byte of the Ethernet parameters
  std::uint8_t clockAnswer = '9';  // answer to the clock switch; 'Q' keeps 74 MHz
  UdpFaults udp;                   // the Ethernet switch and the UDP commands
};

}  // namespace rzsim
