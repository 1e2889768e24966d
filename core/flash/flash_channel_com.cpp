#include "context/station_context.h"
#include "flash/flash_channel.h"
#include "flash/flash_texts.h"
#include "flash/flash_unit.h"
#include "link/serial_channel.h"

namespace rz {
namespace {

// The serial settle never fails: the write's failure text is never shown.
constexpr FlashChannelTexts kTexts{text::kWriteHeadingCom, text::kReadHeadingCom, nullptr, text::kReadFailed,
                                   text::kReadFailed};

// The Flash commands over the serial port. A refused erase or write is sent
// once more with " Повтор" on the progress line; the progress line is the
// last journal line, set at every step.
class FlashOverSerial final : public FlashChannel {
 public:
  explicit FlashOverSerial(StationContext& station) : FlashChannel(kTexts), station_(station) {}

  void Begin() override { PurgePort(station_.Port()); }

  void BeginProgress(const char* header) override {
    header_ = header;
    shown_ = header_;
    station_.Ui().AddJournalLine(0, header_);
  }
  void ShowProgress(std::uint32_t percent) override {
    std::string line = ProgressText(header_, percent);
    if (line == shown_) return;
    station_.Ui().AddJournalLine(-1, line);
    shown_ = std::move(line);
  }
  void FailProgress(const char* error) override { station_.Ui().AddJournalLine(-1, shown_ + error); }
  // The pieces are all there: the line names 100% whatever it showed last.
  void FailAfterPieces(const char* error) override {
    station_.Ui().AddJournalLine(-1, ProgressText(header_, 100) + error);
  }
  void EndProgress() override {}

  Outcome EraseBlock(std::uint32_t address) override {
    return SendWithOneRetry(station_.Ui(), shown_, [&] { return EraseFlashBlock(station_, address); });
  }
  Outcome WritePiece(std::uint32_t address, std::span<const std::uint8_t> data) override {
    return SendWithOneRetry(station_.Ui(), shown_, [&] { return WriteFlashBlock(station_, address, data); });
  }
  bool ReadPiece(std::uint32_t address, std::span<std::uint8_t> into) override {
    return ReadFlashBlock(station_, address, into);
  }
  // Bytes over the serial port arrive in order and every read's sum is
  // checked: a plain read is as careful as it gets.
  bool ReadPieceCarefully(std::uint32_t address, std::span<std::uint8_t> into) override {
    return ReadPiece(address, into);
  }
  bool Settle() override { return true; }
  ChannelTraces Traces() const override { return {}; }
  bool VerifiesWrites() const override { return station_.flags.verifyWrites.load() == 1; }

 private:
  StationContext& station_;
  std::string header_;
  std::string shown_;  // the progress line as the window shows it
};

}  // namespace

std::unique_ptr<FlashChannel> SerialFlashChannel(StationContext& station) { return std::make_unique<FlashOverSerial>(station); }

}  // namespace rz
