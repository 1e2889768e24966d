#pragma once

#include <cstdint>
#include <vector>

namespace rzsim {

using Bytes = std::vector<std::uint8_t>;

// Integers travel least significant byte first.
inline void PutLe16(Bytes& out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

inline void PutLe32(Bytes& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) {
    out.push_back(static_cast<std::uint8_t>(value >> shift));
  }
}

}  // namespace rzsim
