#include <algorithm>
#include <array>
#include <string>

#include "context/station_context.h"
#include "flash/checked_read.h"
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

  void Begin() override {
    BeginUdpTransfer(station_);
    recent_.fill(0);
  }

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
  // On a path that has shown surplus datagrams, a reply of the wrong length
  // is far more likely a late answer to another request than a fault of the
  // board: it is dropped and the read goes on waiting, instead of failing.
  bool ReadPiece(std::uint32_t address, std::span<std::uint8_t> into) override {
    const bool read = ReadFlashBlockUdp(station_, address, static_cast<std::uint32_t>(into.size()), into.data(),
                                        station_.udp.surplusSeen) == kExchangeOk;
    if (read && station_.udp.surplusSeen) NoteRepeated(into);
    return read;
  }
  // The piece is asked for in two parts whose lengths no other request in
  // flight uses (a whole piece is asked for as 512 bytes, earlier careful
  // reads used other splits): the exact length of a reply then names its
  // request, and an answer to anything else is dropped while the read goes
  // on waiting. Resends of the same part are answered alike.
  bool ReadPieceCarefully(std::uint32_t address, std::span<std::uint8_t> into) override {
    const auto length = static_cast<std::uint32_t>(into.size());
    if (length < 3) return ReadIdentified(address, into);
    tag_ = tag_ % kTags + 1;
    std::uint32_t tail = 1 + (tag_ - 1) % std::min(kTags, length - 1);
    if (length - tail == tail) --tail;  // the two parts differ in length too
    return ReadIdentified(address, into.first(length - tail)) &&
           ReadIdentified(address + length - tail, into.last(tail));
  }
  bool Settle() override { return SettleUdpTransfer(station_); }
  ChannelTraces Traces() const override {
    return {station_.udp.surplusDropped, station_.udp.resends, station_.udp.lateReplies, repeated_};
  }
  bool VerifiesWrites() const override { return station_.verifyUdpWrites; }

 private:
  template <typename Command>
  Outcome Repeated(Command command, const char* failed) {
    if (WithOneRepetition(command) == kExchangeOk) return Outcome::Success;
    FailProgress(failed);
    return FailedOrAborted(station_);
  }

  // A copy of a recent reply that stood in for a lost request leaves no
  // other trace: on a path that repeats datagrams, a reply equal to one of
  // the last few is counted (a Flash with equal pieces costs a careful read
  // of those pieces there).
  void NoteRepeated(std::span<const std::uint8_t> data) {
    const std::uint64_t hash = Fingerprint(data);
    if (std::find(recent_.begin(), recent_.end(), hash) != recent_.end()) ++repeated_;
    recent_[next_++ % recent_.size()] = hash;
  }
  // FNV-1a over the bytes and their count (never 0 for a read of any length).
  static std::uint64_t Fingerprint(std::span<const std::uint8_t> data) {
    std::uint64_t hash = 14695981039346656037ull ^ data.size();
    for (const std::uint8_t b : data) hash = (hash ^ b) * 1099511628211ull;
    return hash | 1;
  }

  bool ReadIdentified(std::uint32_t address, std::span<std::uint8_t> into) {
    return ReadFlashBlockUdp(station_, address, static_cast<std::uint32_t>(into.size()), into.data(), true) ==
           kExchangeOk;
  }

  // The lengths of a careful read's tail part go round 1..255, so that its
  // head (257..511 bytes of a whole piece) and its tail never share a length
  // with each other, with a whole piece or with the last few careful reads.
  static constexpr std::uint32_t kTags = 255;

  StationContext& station_;
  std::uint32_t tag_ = 0;
  std::array<std::uint64_t, 32> recent_{};
  std::size_t next_ = 0;
  std::uint64_t repeated_ = 0;
  std::string header_;
  std::string percent_;
  std::string suffix_;
};

}  // namespace

std::unique_ptr<FlashChannel> UdpFlashChannel(StationContext& station) { return std::make_unique<FlashOverUdp>(station); }

}  // namespace rz
