#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "app/host_system.h"

namespace rz {

// The test-program file, opened at start-up and held open (not shared with
// other programs) until the end; the download rewinds it and reads it byte by
// byte.
class TestProgramFile {
 public:
  // Opens `path` through `system`; on failure returns false with the reason.
  bool Open(HostSystem& system, const std::string& path, std::string& reason);
  void Close() {
    file_.reset();
    head_ = tail_ = 0;
  }
  bool IsOpen() const { return file_ != nullptr; }

  // Current size in bytes (0 when the size cannot be read), at most 0xFFFFFFFF.
  std::uint32_t Size();
  void Rewind();
  // Reads the next byte; returns the number of bytes read (0 at the end).
  std::size_t ReadByte(std::uint8_t& byte);

 private:
  std::unique_ptr<InputFile> file_;
  // Read ahead in blocks, so that the byte-wise reads cost no system call each.
  std::array<std::uint8_t, 4096> buffer_{};
  std::size_t head_ = 0;
  std::size_t tail_ = 0;
};

}  // namespace rz
