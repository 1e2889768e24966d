#pragma once

#include <cstdint>
#include <string>

#include "context/station_context.h"
#include "link/udp_channel.h"

namespace rz {

// The transfer texts of the Ethernet channel.
namespace text {
inline constexpr const char* kWriteHeadingUdp = " == Запись <%s> по Ethernet ==";
inline constexpr const char* kReadHeadingUdp = " == Чтение %d байт в <%s> по Ethernet ==";
inline constexpr const char* kEraseDoneUdp = " Стирание Flash: 100%";
inline constexpr const char* kEraseFailedUdp = " *ОШИБКА*";
inline constexpr const char* kWriteFailedUdp = " *Ошибка записи";
inline constexpr const char* kReadFailedUdp = " *Ошибка";
}  // namespace text

// The progress line of a transfer over UDP: its header, the percentage, and
// the exchange's waiting and repeating suffixes behind it (the channel shows
// them through this line while it exists); the next percentage removes them.
// A percentage that is already shown without a suffix is not sent to the
// window again, so an 8 MB transfer makes about a hundred window calls for its
// 16384 steps.
class UdpProgressLine final : public ExchangeProgress {
 public:
  // Appends `header` as the new last line.
  UdpProgressLine(StationContext& station, const char* header) : station_(station), header_(header) {
    station_.udp.progress = this;
    station_.Ui().AddJournalLine(0, header_);
  }
  ~UdpProgressLine() override { station_.udp.progress = nullptr; }
  UdpProgressLine(const UdpProgressLine&) = delete;
  UdpProgressLine& operator=(const UdpProgressLine&) = delete;

  // Shows `percent` ("%d%%") behind the header.
  void Show(std::uint32_t percent) {
    const std::string text = std::to_string(percent) + "%";
    if (text == percent_ && suffix_.empty()) return;
    percent_ = text;
    ShowSuffix("");
  }
  // Puts an error text behind the percentage shown last.
  void Fail(const char* error) { ShowSuffix(error); }

  void ShowSuffix(const std::string& suffix) override {
    suffix_ = suffix;
    station_.Ui().AddJournalLine(-1, header_ + percent_ + suffix_);
  }

 private:
  StationContext& station_;
  std::string header_;
  std::string percent_;
  std::string suffix_;
};

}  // namespace rz
