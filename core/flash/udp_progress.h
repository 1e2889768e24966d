#pragma once

#include <cstdint>
#include <string>

#include "app/station.h"
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

// The progress line of a transfer over UDP. The exchange writes its waiting and
// repeating suffixes behind the percentage (through the channel's progress
// fields); the next percentage removes them. A percentage that is already
// shown without a suffix is not sent to the window again, so an 8 MB transfer
// makes about a hundred window calls for its 16384 steps.
class UdpProgressLine {
 public:
  // Appends `header` as the new last line.
  UdpProgressLine(Station& station, const char* header) : station_(station) {
    UdpChannel& channel = station_.udp;
    channel.progressHeader = header;
    channel.progressPercent.clear();
    channel.progressSuffix.clear();
    station_.Ui().AddJournalLine(0, header);
  }
  ~UdpProgressLine() {
    UdpChannel& channel = station_.udp;
    channel.progressHeader.clear();
    channel.progressPercent.clear();
    channel.progressSuffix.clear();
  }
  UdpProgressLine(const UdpProgressLine&) = delete;
  UdpProgressLine& operator=(const UdpProgressLine&) = delete;

  // Shows `percent` ("%d%%") behind the header.
  void Show(std::uint32_t percent) {
    const std::string text = std::to_string(percent) + "%";
    const UdpChannel& channel = station_.udp;
    if (text == channel.progressPercent && channel.progressSuffix.empty()) return;
    SetProgressPercent(station_, text);
  }
  // Puts an error text behind the percentage shown last.
  void Fail(const char* error) { SetProgressSuffix(station_, error); }

 private:
  Station& station_;
};

}  // namespace rz
