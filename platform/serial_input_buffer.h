#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace rz {

// The serial backends' small input buffer: the device is read into it in bulk,
// and reads are served from it, so that one-byte reads seldom cost a system call.
class SerialInputBuffer {
 public:
  // Moves up to n buffered bytes into `data`; returns how many.
  std::size_t Take(std::uint8_t* data, std::size_t n) {
    const std::size_t take = std::min(n, tail_ - head_);
    std::memcpy(data, bytes_.data() + head_, take);
    head_ += take;
    if (head_ == tail_) head_ = tail_ = 0;
    return take;
  }
  // Where the device's next bytes go: RoomSize() bytes at Room(), then Added().
  std::uint8_t* Room() { return bytes_.data() + tail_; }
  std::size_t RoomSize() const { return bytes_.size() - tail_; }
  void Added(std::size_t count) { tail_ += count; }
  void Clear() { head_ = tail_ = 0; }

 private:
  std::array<std::uint8_t, 4096> bytes_{};
  std::size_t head_ = 0;
  std::size_t tail_ = 0;
};

}  // namespace rz
