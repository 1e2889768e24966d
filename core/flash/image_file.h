#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace rz {

class HostSystem;

// The little a transfer needs of a file: its size, moving to an offset,
// reading and writing. Transfers and checks see files only through this, so
// they are tested over files in memory as well as on disk.
class TransferFile {
 public:
  virtual ~TransferFile() = default;
  virtual std::uint64_t Size() = 0;
  virtual bool Seek(std::uint64_t offset) = 0;
  // Reads up to n bytes from the current offset; returns how many were read.
  virtual std::size_t Read(std::uint8_t* bytes, std::size_t n) = 0;
  // Writes all n bytes at the current offset; false when they could not be.
  virtual bool Write(const std::uint8_t* bytes, std::size_t n) = 0;
  // Empties a created file to write it anew from its start (a read whose
  // pieces were corrected after they had been written); false when that
  // failed or the file is not one being created.
  virtual bool Restart() { return false; }
  // Called once all bytes of a created file have been written: puts the file
  // in place; false when that failed (the transfer has then failed).
  virtual bool Complete() { return true; }
};

// An existing regular file on disk opened for reading, not shared with other
// programs; nullptr with the system's reason when that fails (a FIFO, a device
// or a directory is refused without waiting).
std::unique_ptr<TransferFile> OpenFileForReading(HostSystem& system, const std::string& path, std::string& reason);

// Hears what became of a created file that was closed without Complete():
// `keptPath` holds the bytes written ("" when nothing was kept), `note` says
// so, with the reason of a failed write ("" when there is nothing to say).
using KeptFileReport = std::function<void(const std::string& keptPath, const std::string& note)>;

// A file created on disk for `path` (nullptr with the reason when it cannot
// be, or when `path` exists and is not a regular file). The bytes go into a
// temporary file beside it; `path` takes them when Complete() succeeds, so an
// existing file is replaced only by a transfer that completed. Closed without
// Complete(): when nothing of the name exists, the bytes written (maybe none)
// take the name itself; otherwise the existing file stays as it was and the
// bytes written, if any, are kept as "<path>.partial" (or "<path>.partial-2",
// ... up to -9 when that name is taken, then names with the date and time).
// `report` hears of it.
std::unique_ptr<TransferFile> CreateFileForWriting(HostSystem& system, const std::string& path, std::string& reason,
                                                   KeptFileReport report);

// The file name without its folder, as the journal and the messages show it.
std::string FileNameOf(const std::string& path);

// Signed image files: "VESK", the image, one byte that makes the XOR of the
// whole file 0. Any other file is raw: all of it is the image.
inline constexpr std::uint64_t kMinImageFileBytes = 5;
inline constexpr std::uint64_t kMaxImageFileBytes = 8388613;
inline constexpr std::size_t kSignatureBytes = 4;

// What the checks made of a file before anything is sent to the board.
struct ImageCheck {
  const char* refusal = nullptr;  // the message box text, or nullptr when accepted
  bool isSigned = false;
  std::uint64_t size = 0;  // S, the whole file's size
};

// Checks size, signature, checksum (signed files) and kind (raw files only in
// the Flash service mode), in this order. Leaves the file offset anywhere.
ImageCheck CheckImageFile(TransferFile& file, bool flashServiceMode);

// The erase bound E: the whole Flash for a signed file or outside the Flash
// service mode, else the file's size.
std::uint32_t EraseBound(const ImageCheck& check, bool flashServiceMode);

// The block start addresses to erase: from address 0 while below `bound`.
int EraseBlockCount(std::uint32_t bound);
// The percentage shown before erasing the block at `address`.
std::uint32_t ErasePercent(std::uint32_t address, std::uint32_t bound);

// The pieces of an accepted image for writing, in order, each at most 512
// bytes, at the Flash address that follows the previous piece. The checksum
// byte of a signed file is never part of a piece.
class ImagePieces {
 public:
  ImagePieces(TransferFile& file, const ImageCheck& check);
  // Reads the next piece into `buffer` (512 bytes). Returns its length, 0 when
  // the image is complete. `percent` is the share of the file written so far
  // (before this piece), computed over the whole file's size. Exactly the
  // checked size is read, however the file changes meanwhile.
  std::size_t Next(std::span<std::uint8_t> buffer, std::uint32_t& percent);
  // Flash address of the piece that Next() returned last.
  std::uint32_t Address() const { return address_; }
  // True when the file ended before its checked size (it shrank since the check).
  bool Truncated() const { return truncated_; }

 private:
  TransferFile& file_;
  bool signed_;
  std::uint64_t size_;
  std::uint64_t offset_;
  std::uint32_t address_ = 0;
  std::uint64_t written_ = 0;
  bool truncated_ = false;
};

// The read count: the number in the leading decimal digits of `text`, 0 when
// it starts with no digit; saturates at 0xFFFFFFFF.
std::uint32_t ByteCountFromText(std::string_view text);
inline constexpr std::uint32_t kMaxReadCount = 8388608;
inline constexpr int kByteCountDigits = 7;
constexpr bool ReadCountValid(std::uint32_t count) { return count >= 1 && count <= kMaxReadCount; }

// One piece of a read of `count` bytes from Flash address 0: 512-byte pieces,
// then the remainder. `percent` is what the progress line shows while it is read.
struct ReadPiece {
  std::uint32_t address = 0;
  std::uint32_t length = 0;
  std::uint32_t percent = 0;
};
int ReadPieceCount(std::uint32_t count);
ReadPiece ReadPieceAt(std::uint32_t count, int index);

}  // namespace rz
