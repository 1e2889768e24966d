#pragma once

#include <cstdint>
#include <string>

namespace rzsim {

// Failure modes of the board's Ethernet work, chosen on the command line.
struct UdpFaults {
  std::uint8_t switchAnswer = 'Q';  // answer to 'a' and 'b'; only 'Q' switches
  bool switchSilent = false;        // 'a' and 'b' get no answer at all
  std::uint32_t dropFirst = 0;      // the first k datagrams received get no answer
  std::uint32_t dropEvery = 0;      // every n-th datagram received gets no answer; 0: none
  std::uint32_t delayUs = 0;        // every answer leaves this long (microseconds) after its request
  std::string badMagic;             // commands ('E', 'W', 'R') answered with a wrong magic
  std::string shortReply;           // commands answered one byte short
  std::string longReply;            // commands answered one byte long
  std::string failStatus;           // commands answered with status 'F'
  std::uint32_t faultyReplies = 0;  // the four faults above hit only the first n such replies; 0: all
  bool stranger = false;            // every answer is preceded by a forged one from another address
  bool strangerPort = false;        // ... and by one from the board's own address but another port
  std::uint32_t duplicateEvery = 0;  // every n-th answer is sent twice; 0: none
  std::uint32_t duplicateDelayMs = 0;  // the copy leaves this long after the answer
};

}  // namespace rzsim
