#include "flash/image_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

#include "flash/flash_texts.h"
#include "flash/flash_unit.h"

namespace rz {
namespace {

constexpr std::array<std::uint8_t, kSignatureBytes> kSignature = {'V', 'E', 'S', 'K'};

class DiskFile final : public TransferFile {
 public:
  explicit DiskFile(int fd) : fd_(fd) {}
  ~DiskFile() override { ::close(fd_); }
  DiskFile(const DiskFile&) = delete;
  DiskFile& operator=(const DiskFile&) = delete;

  std::uint64_t Size() override {
    struct stat info {};
    return ::fstat(fd_, &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
  }
  bool Seek(std::uint64_t offset) override {
    return ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) == static_cast<off_t>(offset);
  }
  std::size_t Read(std::uint8_t* bytes, std::size_t n) override {
    std::size_t got = 0;
    while (got < n) {
      const ssize_t r = ::read(fd_, bytes + got, n - got);
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0) break;
      got += static_cast<std::size_t>(r);
    }
    return got;
  }
  bool Write(const std::uint8_t* bytes, std::size_t n) override {
    std::size_t done = 0;
    while (done < n) {
      const ssize_t w = ::write(fd_, bytes + done, n - done);
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) return false;
      done += static_cast<std::size_t>(w);
    }
    return true;
  }

 private:
  int fd_;
};

std::unique_ptr<TransferFile> OpenFd(const std::string& path, int flags) {
  int fd = -1;
  do {
    fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return nullptr;
  // A folder opens for reading on POSIX but is no file to transfer.
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<DiskFile>(fd);
}

}  // namespace

std::unique_ptr<TransferFile> OpenFileForReading(const std::string& path) { return OpenFd(path, O_RDONLY); }

std::unique_ptr<TransferFile> CreateFileForWriting(const std::string& path) {
  return OpenFd(path, O_WRONLY | O_CREAT | O_TRUNC);
}

std::string FileNameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

ImageCheck CheckImageFile(TransferFile& file, bool flashServiceMode) {
  ImageCheck check;
  check.size = file.Size();
  if (check.size < kMinImageFileBytes || check.size > kMaxImageFileBytes) {
    check.refusal = text::kImageSize;
    return check;
  }
  std::array<std::uint8_t, kSignatureBytes> head{};
  check.isSigned = file.Seek(0) && file.Read(head.data(), head.size()) == head.size() && head == kSignature;
  if (check.isSigned) {
    std::array<std::uint8_t, kFlashPieceBytes> piece{};
    std::uint8_t folded = 0;
    std::uint64_t total = 0;
    file.Seek(0);
    for (std::size_t got; (got = file.Read(piece.data(), piece.size())) > 0;) {
      for (std::size_t i = 0; i < got; ++i) folded ^= piece[i];
      total += got;
    }
    // A file that could not be read whole cannot be shown to be sound.
    if (folded != 0 || total != check.size) check.refusal = text::kImageChecksum;
  } else if (!flashServiceMode) {
    check.refusal = text::kImageSignature;
  }
  return check;
}

std::uint32_t EraseBound(const ImageCheck& check, bool flashServiceMode) {
  if (check.isSigned || !flashServiceMode) return kFlashBytes;
  return static_cast<std::uint32_t>(check.size);
}

int EraseBlockCount(std::uint32_t bound) {
  int count = 0;
  while (count < kFlashBlocks && FlashBlockAddress(count) < bound) ++count;
  return count;
}

std::uint32_t ErasePercent(std::uint32_t address, std::uint32_t bound) {
  return bound == 0 ? 0 : static_cast<std::uint32_t>(100ull * address / bound);
}

ImagePieces::ImagePieces(TransferFile& file, const ImageCheck& check)
    : file_(file), signed_(check.isSigned), size_(check.size), offset_(check.isSigned ? kSignatureBytes : 0) {
  file_.Seek(offset_);
}

std::size_t ImagePieces::Next(std::span<std::uint8_t> buffer, std::uint32_t& percent) {
  const std::uint64_t remaining = size_ > offset_ ? size_ - offset_ : 0;
  std::size_t length = file_.Read(buffer.data(), std::min(buffer.size(), kFlashPieceBytes));
  if (length == 0) return 0;
  offset_ += length;
  percent = size_ == 0 ? 0 : static_cast<std::uint32_t>(100 * written_ / size_);
  // The last piece of a signed file ends in the checksum byte, which is not image.
  if (signed_ && remaining <= kFlashPieceBytes) --length;
  address_ = static_cast<std::uint32_t>(written_);
  written_ += length;
  return length;
}

std::uint32_t ByteCountFromText(std::string_view text) {
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = std::min<std::uint64_t>(value * 10 + static_cast<std::uint64_t>(c - '0'), 0xFFFFFFFFull);
  }
  return static_cast<std::uint32_t>(value);
}

int ReadPieceCount(std::uint32_t count) {
  return static_cast<int>(count / kFlashPieceBytes) + (count % kFlashPieceBytes != 0 ? 1 : 0);
}

ReadPiece ReadPieceAt(std::uint32_t count, int index) {
  ReadPiece piece;
  const auto k = static_cast<std::uint32_t>(index);
  piece.address = static_cast<std::uint32_t>(kFlashPieceBytes) * k;
  const std::uint32_t whole = count / kFlashPieceBytes;
  if (k < whole) {
    piece.length = kFlashPieceBytes;
    piece.percent = static_cast<std::uint32_t>(51200ull * k / count);
  } else {
    piece.length = count % kFlashPieceBytes;
    piece.percent = 100;
  }
  return piece;
}

}  // namespace rz
