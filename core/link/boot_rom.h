#pragma once

#include <cstdint>

#include "link/serial_channel.h"

namespace rz {

class LinkContext;

inline constexpr std::uint32_t kMaxTestProgramSize = 24576;
inline constexpr std::uint32_t kFirstStageSize = 2048;
inline constexpr std::uint32_t kBootBaud = 9600;
// Reads made while waiting for '>' and 'F' (each up to 50 ms): about 12.8 s.
inline constexpr int kBootReplyTries = 256;

// The bytes of the processor's serial boot ROM.
inline constexpr std::uint8_t kBootHello = '<';
inline constexpr std::uint8_t kFirstStageAck = '>';
inline constexpr std::uint8_t kSecondStageStart = '+';
inline constexpr std::uint8_t kProgramRuns = 'F';

enum class BootResult { Success, Aborted, TimedOut, TooBig };

// False when the byte could not be written within the port's write time-out:
// the board has stopped reading, and waiting on would take hours.
bool SendBootByte(PortHandle port, std::uint8_t byte);

// Waits for the boot ROM's '<' with no limit: only '<' or the abort flag ends it.
bool AwaitBootHello(LinkContext& link);

// Waits for `expected`: 256 reads at most, of which the first 255 are examined.
BootResult AwaitBootReply(LinkContext& link, std::uint8_t expected);

}  // namespace rz
