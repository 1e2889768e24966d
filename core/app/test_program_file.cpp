#include "app/test_program_file.h"

namespace rz {

bool TestProgramFile::Open(HostSystem& system, const std::string& path, std::string& reason) {
  Close();
  file_ = system.OpenForReading(path, reason);
  return file_ != nullptr;
}

std::uint32_t TestProgramFile::Size() {
  if (file_ == nullptr) return 0;
  const std::uint64_t size = file_->Size();
  return size > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<std::uint32_t>(size);
}

void TestProgramFile::Rewind() {
  head_ = tail_ = 0;
  if (file_ != nullptr) file_->Seek(0);
}

std::size_t TestProgramFile::ReadByte(std::uint8_t& byte) {
  if (head_ == tail_) {
    head_ = 0;
    tail_ = file_ != nullptr ? file_->Read(buffer_.data(), buffer_.size()) : 0;
    if (tail_ == 0) return 0;
  }
  byte = buffer_[head_++];
  return 1;
}

}  // namespace rz
