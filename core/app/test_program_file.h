#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace rz {

// The test-program file, opened at start-up and held open (and locked against
// other writers) until the end; the download rewinds it and reads it byte by byte.
class TestProgramFile {
 public:
  TestProgramFile() = default;
  TestProgramFile(const TestProgramFile&) = delete;
  TestProgramFile& operator=(const TestProgramFile&) = delete;
  ~TestProgramFile() { Close(); }

  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return file_ != nullptr; }

  // Current size in bytes (0 when the size cannot be read).
  std::uint32_t Size();
  void Rewind();
  // Reads the next byte; returns the number of bytes read (0 at the end).
  std::size_t ReadByte(std::uint8_t& byte);

 private:
  std::FILE* file_ = nullptr;
};

}  // namespace rz
