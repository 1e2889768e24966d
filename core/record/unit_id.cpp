#include "record/unit_id.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <random>

namespace rz {

std::string NewUnitId() {
  static std::mutex mutex;
  static std::mt19937_64 generator = [] {
    std::random_device device;
    std::seed_seq seed{device(), device(), device(), device(), device(), device(), device(), device()};
    return std::mt19937_64(seed);
  }();
  std::array<std::uint8_t, 16> bytes{};
  {
    const std::lock_guard lock(mutex);
    for (std::size_t i = 0; i < bytes.size(); i += 8) {
      const std::uint64_t value = generator();
      for (std::size_t k = 0; k < 8; ++k) bytes[i + k] = static_cast<std::uint8_t>(value >> (8 * k));
    }
  }
  bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40);  // version 4
  bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);  // the RFC 4122 variant
  std::string text;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) text += '-';
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02x", bytes[i]);
    text += hex;
  }
  return text;
}

}  // namespace rz
