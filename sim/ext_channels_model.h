#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace rzsim {

inline constexpr std::size_t kExtChannels = 32;

// The board's 32 external serial channels as the test program reports them.
struct ExtChannelsModel {
  // First byte of the channel-map reply: bits 2-4 set the access time.
  std::uint8_t accessTiming = 0x00;
  // Entry i: the number of the channel at position i; 0xFF (or any byte above
  // 31) for an absent position. By default every channel sits at its own
  // position.
  std::array<std::uint8_t, kExtChannels> map = [] {
    std::array<std::uint8_t, kExtChannels> identity{};
    for (std::size_t i = 0; i < kExtChannels; ++i) identity[i] = static_cast<std::uint8_t>(i);
    return identity;
  }();
  // Per channel number: the status byte of its 1st, 2nd, ... test; the last one
  // repeats. Empty: 0x00 (a passed test).
  std::array<std::vector<std::uint8_t>, kExtChannels> status{};
  // Per position: FIFO counters A, B, C, D. Unset: A and B the block size
  // of the last parameter set, C and D 0.
  std::array<std::optional<std::array<std::uint32_t, 4>>, kExtChannels> fifo{};
};

struct ExtChannelsFaults {
  bool refuseParams = false;     // 'k' is answered 'q'
  std::uint8_t silentOpcode = 0;  // the channel commands go silent from this one on; 0: never
  std::uint32_t silentFrom = 1;   // ... from its silentFrom-th arrival (from 1)
};

}  // namespace rzsim
