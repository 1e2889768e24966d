#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/outcome.h"
#include "debug/debug_console.h"

// The pieces of the five targets, for the target table and the tests.
namespace rz {

class StationContext;

// Commands of the debug console.
inline constexpr std::uint8_t kOpDebugAccess = 'd';
inline constexpr std::uint8_t kOpDebugChannel = 'g';
inline constexpr std::uint8_t kOpToggleRts = 'R';
inline constexpr std::uint8_t kOpToggleDtr = 'D';
inline constexpr std::uint8_t kOpStopCycle = 'q';

// Memory operation codes of DebugAccess.
inline constexpr std::uint8_t kMemoryWrite = 0x00;
inline constexpr std::uint8_t kMemoryRead = 0x01;

// Base addresses on the board's bus.
inline constexpr std::uint32_t kEthernetWindow = 0x50000300;
inline constexpr std::uint32_t kFlashBase = 0x70000000;

// Ends the cyclic operation the test program is running.
void StopCycle(StationContext& station);

// Sends DebugAccess (address, data, code) and reports in the debug journal;
// a single read appends the value to `echo` and rewrites the echo line.
// Returns with the abort flag at 0.
Outcome ExecuteMemoryOperation(DebugContext& ctx, std::uint32_t address, std::uint32_t data, std::uint8_t code,
                               std::string& echo);

// Service COM: txc (keyword 0) streams `data`; rts (1) and dtr (2) toggle the line.
inline constexpr std::uint8_t kServiceTxc = 0;
inline constexpr std::uint8_t kServiceRts = 1;
inline constexpr std::uint8_t kServiceDtr = 2;
Outcome ExecuteServiceComOperation(DebugContext& ctx, std::uint32_t data, std::uint8_t keyword);

// External COMs: sends DebugChannel (channel, value byte, code) and reports.
// `value` is the speed for txd (sent as its speed code) and tx0 (sent as its
// low byte), the byte for dbc, 0 otherwise.
Outcome ExecuteChannelOperation(DebugContext& ctx, std::uint32_t channel, std::uint32_t value, std::uint8_t code);
// Speed code of a line speed for txd, or 0 when the speed is not in the table.
std::uint8_t SpeedCode(std::uint32_t speed);

// Blinks the last journal line between `off` and `on` every 300 ms until the
// abort flag is 1.
void BlinkUntilAbort(DebugContext& ctx, const char* off, const char* on);

// Checks and executors of the targets.
const char* CheckEthernet(const DebugFieldTexts& fields, DebugPlan& plan);
const char* CheckSdram(const DebugFieldTexts& fields, DebugPlan& plan);
const char* CheckFlash(const DebugFieldTexts& fields, DebugPlan& plan);
Outcome ExecuteMemoryPlan(DebugContext& ctx, DebugPlan& plan);
const char* CheckServiceCom(const DebugFieldTexts& fields, DebugPlan& plan);
Outcome ExecuteServiceComPlan(DebugContext& ctx, DebugPlan& plan);
const char* CheckExternalComs(const DebugFieldTexts& fields, DebugPlan& plan);
Outcome ExecuteChannelPlan(DebugContext& ctx, DebugPlan& plan);

}  // namespace rz
