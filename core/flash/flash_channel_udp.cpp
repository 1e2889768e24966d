#include <string>

#include "context/station_context.h"
#include "flash/flash_channel.h"
#include "flash/flash_texts.h"
#include "link/exchange.h"
#include "link/udp_channel.h"
#include "link/udp_commands.h"

namespace rz {
namespace {

constexpr FlashChannelTexts kTexts{text::kWriteHeadingUdp, text::kReadHeadingUdp, text::kEraseDoneUdp,
                                   text::kWriteFailedUdp, text::kReadFailedUdp};

// The Flash commands as UDP datagrams. A failed command is sent once more
// without a journal line before the transfer gives up. ESC fails the exchange
// in progress and, as the flag stays set, its repetition at once: a transfer
// ends within a wait's slice.
//
// The progress line: the exchange shows its waiting and repeating suffixes
// behind the percentage (the channel is the exchange's progress line while
// the line exists); the next percentage removes them. A percentage already
// shown without a suffix is not sent to the window again.
class FlashOverUdp final : public FlashChannel, public ExchangeProgress {
 public:
  explicit FlashOverUdp(StationContext& station) : FlashChannel(kTexts), station_(station) {}
  ~FlashOverUdp() override { EndProgress(); }

  void Begin() override { BeginUdpTransfer(station_); }

  void BeginProgress(const char* header) override {
    header_ = header;
    percent_.clear();
    suffix_.clear();
    station_.udp.progress = this;
    station_.Ui().AddJournalLine(0, header_);
  }
  void ShowProgress(std::uint32_t percent) override {
    const std::string text = std::to_string(percent) + "%";
    if (text == percent_ && suffix_.empty()) return;
    percent_ = text;
    ShowSuffix("");
  }
  void FailProgress(const char* error) override { ShowSuffix(error); }
  void FailAfterPieces(const char* error) override { FailProgress(error); }
  void EndProgress() override {
    if (station_.udp.progress == this) station_.udp.progress = nullptr;
  }
  void ShowSuffix(const std::string& suffix) override {
    suffix_ = suffix;
    station_.Ui().AddJournalLine(-1, header_ + percent_ + suffix_);
  }

  Outcome EraseBlock(std::uint32_t address) override {
    return Repeated([&] { return EraseFlashBlockUdp(station_, address); }, text::kEraseFailedUdp);
  }
  Outcome WritePiece(std::uint32_t address, std::span<const std::uint8_t> data) override {
    return Repeated([&] { return WriteFlashBlockUdp(station_, address, data); }, text::kWriteFailedUdp);
  }
  bool ReadPiece(std::uint32_t address, std::span<std::uint8_t> into) override {
    return ReadFlashBlockUdp(station_, address, static_cast<std::uint32_t>(into.size()), into.data()) ==
           kExchangeOk;
  }
  bool Settle() override {
    if (SettleUdpTransfer(station_)) return true;
    if (station_.udp.repliesInDoubt) {
      station_.Ui().Note("ответы платы не удалось сопоставить с запросами (запоздавшие или повторённые "
                         "датаграммы различаются): передаче нельзя доверять");
    }
    return false;
  }

 private:
  template <typename Command>
  Outcome Repeated(Command command, const char* failed) {
    if (WithOneRepetition(command) == kExchangeOk) return Outcome::Success;
    FailProgress(failed);
    return station_.flags.AbortRequested() ? Outcome::Aborted : Outcome::Failed;
  }

  StationContext& station_;
  std::string header_;
  std::string percent_;
  std::string suffix_;
};

}  // namespace

std::unique_ptr<FlashChannel> UdpFlashChannel(StationContext& station) { return std::make_unique<FlashOverUdp>(station); }

}  // namespace rz
