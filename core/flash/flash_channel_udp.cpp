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
// The progress line: the exchange writes its waiting and repeating suffixes
// behind the percentage (through the UDP channel's progress fields); the next
// percentage removes them. A percentage already shown without a suffix is not
// sent to the window again.
class FlashOverUdp final : public FlashChannel {
 public:
  explicit FlashOverUdp(StationContext& station) : FlashChannel(kTexts), station_(station) {}

  void Begin() override { BeginUdpTransfer(station_); }

  void BeginProgress(const char* header) override {
    UdpChannel& udp = station_.udp;
    udp.progressHeader = header;
    udp.progressPercent.clear();
    udp.progressSuffix.clear();
    station_.Ui().AddJournalLine(0, header);
  }
  void ShowProgress(std::uint32_t percent) override {
    const std::string text = std::to_string(percent) + "%";
    const UdpChannel& udp = station_.udp;
    if (text == udp.progressPercent && udp.progressSuffix.empty()) return;
    SetProgressPercent(station_, text);
  }
  void FailProgress(const char* error) override { SetProgressSuffix(station_, error); }
  void FailAfterPieces(const char* error) override { FailProgress(error); }
  void EndProgress() override {
    UdpChannel& udp = station_.udp;
    udp.progressHeader.clear();
    udp.progressPercent.clear();
    udp.progressSuffix.clear();
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
  bool Settle() override { return SettleUdpTransfer(station_); }

 private:
  template <typename Command>
  Outcome Repeated(Command command, const char* failed) {
    if (WithOneRepetition(command) == kExchangeOk) return Outcome::Success;
    FailProgress(failed);
    return station_.flags.AbortRequested() ? Outcome::Aborted : Outcome::Failed;
  }

  StationContext& station_;
};

}  // namespace

std::unique_ptr<FlashChannel> UdpFlashChannel(StationContext& station) { return std::make_unique<FlashOverUdp>(station); }

}  // namespace rz
