#include "flash/image_file.h"

#include <algorithm>
#include <array>
#include <ctime>

#include "app/host_system.h"
#include "flash/flash_texts.h"
#include "flash/flash_unit.h"

namespace rz {
namespace {

constexpr std::array<std::uint8_t, kSignatureBytes> kSignature = {'V', 'E', 'S', 'K'};
// How many "<path>.partial-N" names are tried for the bytes of a read that
// did not complete.
constexpr int kPartialNames = 9;

class DiskInput final : public TransferFile {
 public:
  explicit DiskInput(std::unique_ptr<InputFile> file) : file_(std::move(file)) {}
  std::uint64_t Size() override { return file_->Size(); }
  bool Seek(std::uint64_t offset) override { return file_->Seek(offset); }
  std::size_t Read(std::uint8_t* bytes, std::size_t n) override { return file_->Read(bytes, n); }
  bool Write(const std::uint8_t*, std::size_t) override { return false; }

 private:
  std::unique_ptr<InputFile> file_;
};

class DiskOutput final : public TransferFile {
 public:
  DiskOutput(HostSystem& system, std::unique_ptr<OutputFile> file, KeptFileReport report)
      : system_(system), file_(std::move(file)), report_(std::move(report)) {}
  ~DiskOutput() override {
    if (!completed_) Abandon();
  }
  DiskOutput(const DiskOutput&) = delete;
  DiskOutput& operator=(const DiskOutput&) = delete;

  std::uint64_t Size() override { return file_->Written(); }
  bool Seek(std::uint64_t offset) override { return offset == file_->Written(); }
  std::size_t Read(std::uint8_t*, std::size_t) override { return 0; }
  bool Write(const std::uint8_t* bytes, std::size_t n) override {
    std::string reason;
    if (file_->Write(bytes, n, reason)) return true;
    Fail(Failure::Write, reason);
    return false;
  }
  bool Restart() override {
    std::string reason;
    if (file_->Restart(reason)) return true;
    Fail(Failure::Write, reason);
    return false;
  }
  bool Complete() override {
    std::string reason;
    completed_ = file_->Commit(reason);
    if (!completed_) Fail(Failure::Store, reason);
    return completed_;
  }

 private:
  // What went wrong with the file itself: a write that failed (a full disk),
  // or a file written whole that could not take its name.
  enum class Failure { None, Write, Store };

  void Fail(Failure failure, const std::string& reason) {
    failure_ = failure;
    reason_ = reason;
  }

  // The failure for the operator, "" when there was none.
  std::string FailureText() const {
    if (failure_ == Failure::None) return "";
    const std::string text =
        (failure_ == Failure::Write ? "Ошибка записи файла " : "Ошибка сохранения файла ") + file_->Target();
    return reason_.empty() ? text : text + ": " + reason_;
  }

  // Keeps what was written where nothing gets lost: under the target's own
  // name when that is free, else under a name of its own.
  void Abandon() {
    const std::string& target = file_->Target();
    const std::string problem = FailureText();
    const std::string bytes = "Прочитанные " + std::to_string(file_->Written()) + " байт";
    std::string reason;
    const auto report = [&](const std::string& kept, const std::string& what) {
      if (report_) report_(kept, problem.empty() ? what : what.empty() ? problem : problem + "; " + what);
    };
    if (system_.Inspect(target, reason) == PathKind::Missing && file_->KeepAs(target, reason)) {
      report(target, file_->Written() == 0 ? "" : bytes + " сохранены в " + target);
      return;
    }
    if (file_->Written() == 0) {
      report("", "");
      return;
    }
    // The short names first; when they are all taken, names with the date
    // and time, which no earlier run can have used.
    const std::tm now = system_.LocalTimeNow();
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &now);
    reason = "все имена " + target + ".partial… заняты";
    for (int n = 1; n <= 2 * kPartialNames; ++n) {
      const std::string name = target + ".partial" +
                               (n <= kPartialNames ? (n > 1 ? "-" + std::to_string(n) : "")
                                                   : "-" + std::string(stamp) + "-" + std::to_string(n - kPartialNames));
      std::string why;
      if (system_.Inspect(name, why) != PathKind::Missing) continue;
      if (file_->KeepAs(name, reason)) {
        report(name, bytes + " сохранены в " + name + "; файл " + target + " не изменен");
        return;
      }
    }
    report("", bytes + " не удалось сохранить: " + reason);
  }

  HostSystem& system_;
  std::unique_ptr<OutputFile> file_;
  KeptFileReport report_;
  Failure failure_ = Failure::None;
  std::string reason_;  // the system's reason for the failure
  bool completed_ = false;
};

}  // namespace

std::unique_ptr<TransferFile> OpenFileForReading(HostSystem& system, const std::string& path, std::string& reason) {
  std::unique_ptr<InputFile> file = system.OpenForReading(path, reason);
  if (!file) return nullptr;
  return std::make_unique<DiskInput>(std::move(file));
}

std::unique_ptr<TransferFile> CreateFileForWriting(HostSystem& system, const std::string& path, std::string& reason,
                                                   KeptFileReport report) {
  std::unique_ptr<OutputFile> file = system.CreateOutput(path, reason);
  if (!file) return nullptr;
  return std::make_unique<DiskOutput>(system, std::move(file), std::move(report));
}

std::string FileNameOf(const std::string& path) {
  // Both separators: a Windows path may use either.
  const std::size_t slash = path.find_last_of("/\\");
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
  const std::size_t wanted =
      static_cast<std::size_t>(std::min<std::uint64_t>(remaining, std::min(buffer.size(), kFlashPieceBytes)));
  if (wanted == 0) return 0;
  std::size_t length = file_.Read(buffer.data(), wanted);
  if (length < wanted) {
    truncated_ = true;
    return 0;
  }
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
