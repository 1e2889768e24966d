#pragma once

#include <cstdint>

#include "dispatcher.h"
#include "line_speed.h"

namespace rzsim {

inline constexpr std::uint8_t kOpTestSdramBlock = 'm';
inline constexpr std::uint8_t kOpEthernetTestStep = 'l';
inline constexpr std::uint8_t kOpReadRtcCounter = 'f';
inline constexpr std::uint8_t kOpTestServiceComV7 = 'C';
inline constexpr std::uint8_t kOpTestServiceComV5 = 'c';

// The SDRAM test's block command: writes or compares one block of the board's
// SDRAM with the pattern of its pass.
void RegisterSdramCommands(Dispatcher& dispatcher);
// The bytes of SDRAM a configuration word describes (two chips side by side).
std::size_t SdramBytesFor(std::uint32_t configWord);
// The word the SDRAM test writes at byte address `address` in pass 1 or 2.
std::uint32_t SdramPattern(std::uint32_t pass, std::uint32_t address);

// One step of the Ethernet controller's self test.
void RegisterEthernetTestCommands(Dispatcher& dispatcher);

// The RTC counter, running from the board's power-on at `powerOn`.
void RegisterRtcCommands(Dispatcher& dispatcher, Clock::time_point powerOn);
// The counter `sincePowerOn` after power-on, under the RTC faults in force.
std::uint32_t RtcCounterAt(const Faults& faults, Clock::duration sincePowerOn);

// The service port's loop-back test, in both variants.
void RegisterServicePortCommands(Dispatcher& dispatcher);

}  // namespace rzsim
