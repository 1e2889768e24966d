#include <chrono>

#include "board_test_commands.h"

namespace rzsim {

std::uint32_t RtcCounterAt(const Faults& faults, Clock::duration sincePowerOn) {
  if (faults.rtcStopped) return faults.rtcStart;
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(sincePowerOn).count();
  const auto ticks = static_cast<std::uint64_t>(seconds) * (faults.rtcFast ? 2 : 1);
  // The counter is 32 bits wide and wraps.
  return static_cast<std::uint32_t>(faults.rtcStart + ticks);
}

void RegisterRtcCommands(Dispatcher& dispatcher, Clock::time_point powerOn) {
  dispatcher.Register(kOpReadRtcCounter,
                      FixedCommand(0, [powerOn](std::span<const std::uint8_t>, CommandContext& ctx) {
                        PutLe32(ctx.out, RtcCounterAt(ctx.faults, Clock::now() - powerOn));
                      }));
}

}  // namespace rzsim
