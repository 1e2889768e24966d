#include "app/test_program_file.h"

#include <sys/file.h>
#include <sys/stat.h>

namespace rz {

bool TestProgramFile::Open(const std::string& path) {
  Close();
  file_ = std::fopen(path.c_str(), "rb");
  if (file_ == nullptr) return false;
  // Not shared: a second station on the same directory must not hold it too.
  if (::flock(fileno(file_), LOCK_EX | LOCK_NB) != 0) {
    Close();
    return false;
  }
  return true;
}

void TestProgramFile::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

std::uint32_t TestProgramFile::Size() {
  struct stat info {};
  if (file_ == nullptr || ::fstat(fileno(file_), &info) != 0 || info.st_size < 0) return 0;
  if (static_cast<unsigned long long>(info.st_size) > 0xFFFFFFFFull) return 0xFFFFFFFFu;
  return static_cast<std::uint32_t>(info.st_size);
}

void TestProgramFile::Rewind() {
  if (file_ != nullptr) std::rewind(file_);
}

std::size_t TestProgramFile::ReadByte(std::uint8_t& byte) {
  if (file_ == nullptr) return 0;
  const int c = std::fgetc(file_);
  if (c == EOF) return 0;
  byte = static_cast<std::uint8_t>(c);
  return 1;
}

}  // namespace rz
