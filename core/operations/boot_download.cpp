#include "operations/boot_download.h"

#include <string>

#include "app/texts.h"
#include "app/worker_frame.h"
#include "link/serial_channel.h"
#include "operations/station.h"

namespace rz {
namespace {

constexpr std::chrono::milliseconds kSettleAfterSpeedChange{100};

// The progress line " Загрузка программы: NN%", rewritten in place.
class DownloadProgress {
 public:
  explicit DownloadProgress(StationUi& ui) : ui_(ui) { ui_.AddJournalLine(0, text::kDownloadProgress); }
  // Rewrites the line when the figure differs from the last one written.
  void Update(std::uint32_t percent) {
    if (percent != last_) Write(percent);
  }
  void Write(std::uint32_t percent) {
    last_ = percent;
    ui_.AddJournalLine(-1, std::string(text::kDownloadProgress) + std::to_string(percent) + "%");
  }

 private:
  StationUi& ui_;
  std::uint32_t last_ = 100;
};

// Sends the first stage: the file's first 2048 bytes, zero-filled when shorter.
// False when a byte could not be written.
bool SendFirstStage(Station& station, std::uint32_t size, std::uint32_t& sent, DownloadProgress& progress) {
  const std::uint32_t fileBytes = size < kFirstStageSize ? size : kFirstStageSize;
  for (std::uint32_t i = 0; i < fileBytes; ++i) {
    std::uint8_t byte = 0;
    sent += static_cast<std::uint32_t>(station.testProgram.ReadByte(byte));
    if (!SendBootByte(station.Port(), byte)) return false;
    progress.Update(size >= kFirstStageSize ? sent * 100 / size : (sent * 100) >> 11);
  }
  if (size >= kFirstStageSize) return true;
  const std::uint32_t fill = kFirstStageSize - size;
  std::uint32_t accumulator = sent * 100;
  for (std::uint32_t i = 0; i < fill; ++i) {
    if (!SendBootByte(station.Port(), 0x00)) return false;
    accumulator += 100;
    progress.Write(accumulator / kFirstStageSize);
  }
  sent += fill;
  return true;
}

bool SendSecondStage(Station& station, std::uint32_t size, std::uint32_t& sent, DownloadProgress& progress) {
  const std::uint32_t rest = size > kFirstStageSize ? size - kFirstStageSize : 0;
  if (!SendBootByte(station.Port(), kSecondStageStart)) return false;
  for (int k = 0; k < 4; ++k) {
    if (!SendBootByte(station.Port(), static_cast<std::uint8_t>(rest >> (8 * k)))) return false;
  }
  for (std::uint32_t i = 0; i < rest; ++i) {
    std::uint8_t byte = 0;
    sent += static_cast<std::uint32_t>(station.testProgram.ReadByte(byte));
    if (!SendBootByte(station.Port(), byte)) return false;
    progress.Update(sent * 100 / size);
  }
  return true;
}

BootResult Download(Station& station) {
  StationUi& ui = station.Ui();
  if (!AwaitBootHello(station)) return BootResult::Aborted;

  const std::uint32_t size = station.testProgram.Size();
  if (size > kMaxTestProgramSize) {
    ui.AddJournalLine(0, "");
    ui.AddJournalLine(0, text::kProgramTooBig);
    return BootResult::TooBig;
  }
  DownloadProgress progress(ui);
  std::uint32_t sent = 0;
  if (!SendFirstStage(station, size, sent, progress)) return BootResult::TimedOut;

  const BootResult ack = AwaitBootReply(station, kFirstStageAck);
  if (ack != BootResult::Success) return ack;

  SetPortParams(station.Port(), kStandardBaud, 8, 0, 0);
  station.Sleep(kSettleAfterSpeedChange);
  if (!SendSecondStage(station, size, sent, progress)) return BootResult::TimedOut;
  return AwaitBootReply(station, kProgramRuns);
}

}  // namespace

namespace {

Outcome RunDownload(Station& station) {
  StationUi& ui = station.Ui();
  const WorkerFrame frame(station.Ui(), station.flags);
  // A port that refuses the boot ROM's rate leaves the download waiting for
  // a '<' it cannot read: say why beside the journal.
  if (std::string refused; station.Port() != nullptr && !SetPortParams(station.Port(), kBootBaud, 8, 0, 0, &refused)) {
    ui.Note("порт не принял скорость " + std::to_string(kBootBaud) + " бод: " + refused);
  }
  station.testProgram.Rewind();
  ui.AddJournalLine(0, text::kSeparator);
  ui.AddJournalLine(0, text::kDownloadHeading);
  ui.AddJournalLine(0, text::kPressReset);

  const BootResult result = Download(station);
  Outcome outcome = Outcome::Success;
  switch (result) {
    case BootResult::Success:
      ui.AddJournalLine(0, text::kBoardReady);
      break;
    case BootResult::Aborted:
      ui.AddJournalLine(0, text::kAborted);
      outcome = Outcome::Aborted;
      break;
    case BootResult::TooBig:
      ui.AddJournalLine(0, text::kAborted);
      outcome = Outcome::Failed;
      break;
    case BootResult::TimedOut:
      ui.AddJournalLine(0, text::kAbortedTimeout);
      outcome = Outcome::Failed;
      break;
  }
  return outcome;
}

}  // namespace

Outcome DownloadTestProgram(Station& station) {
  const Outcome outcome = RunDownload(station);
  // After the frame has closed, the line goes back to the test program's speed.
  SetPortParams(station.Port(), kStandardBaud, 8, 0, 0);
  return outcome;
}

}  // namespace rz
