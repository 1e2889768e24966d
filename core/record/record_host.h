#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>

namespace rz {

// The name of the machine the station runs on.
std::string HostName();

// The local calendar time of `moment`, and how many seconds the local time is
// ahead of UTC then (negative west of Greenwich).
std::tm LocalTimeOf(std::time_t moment, long& utcOffsetSeconds);

// SHA-256 of a stream of bytes fed piece by piece, computed by the system's
// own cryptography library.
class Sha256 {
 public:
  using Digest = std::array<std::uint8_t, 32>;

  Sha256();
  ~Sha256();
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

  // False when the system offers no SHA-256; Update and Finish then fail.
  bool Available() const { return state_ != nullptr; }
  void Update(const void* data, std::size_t n);
  // The digest of everything fed in; false when it could not be computed.
  bool Finish(Digest& digest);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace rz
