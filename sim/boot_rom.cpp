#include "boot_rom.h"

#include "line_speed.h"

namespace rzsim {

std::uint8_t BootNoiseByte(std::uint32_t i) {
  const auto b = static_cast<std::uint8_t>(i * 73 + 0x5A);
  return b == BootRom::kAnnounce ? static_cast<std::uint8_t>(0xFF) : b;
}

void BootRom::Reset(Bytes& out) {
  stage_ = Stage::kFirstStage;
  firstStageCount_ = 0;
  lengthBytes_ = 0;
  length_ = 0;
  taken_ = 0;
  downloadBytes_ = 0;
  for (std::uint32_t i = 0; i < faults_.bootNoise; ++i) out.push_back(BootNoiseByte(i));
  out.push_back(kAnnounce);
}

std::uint32_t BootRom::LineBaud() const {
  return stage_ == Stage::kFirstStage ? kBootBaud : kProgramBaud;
}

void BootRom::Receive(std::uint8_t byte, Bytes& out) {
  if (stage_ == Stage::kStarted || stage_ == Stage::kHung) return;
  ++downloadBytes_;
  if (downloadBytes_ == faults_.loseByte) return;
  switch (stage_) {
    case Stage::kFirstStage:
      if (++firstStageCount_ == kFirstStageSize) FinishFirstStage(out);
      break;
    case Stage::kAwaitPlus:
      if (byte == kSecondStageStart) stage_ = Stage::kLength;
      break;
    case Stage::kLength:
      length_ |= static_cast<std::uint32_t>(byte) << (8 * lengthBytes_);
      if (++lengthBytes_ == 4) {
        stage_ = Stage::kBody;
        if (length_ == 0) FinishDownload(out);
      }
      break;
    case Stage::kBody:
      if (++taken_ == length_) FinishDownload(out);
      break;
    case Stage::kStarted:
    case Stage::kHung:
      break;
  }
}

void BootRom::FinishFirstStage(Bytes& out) {
  if (faults_.noBootAck) {
    stage_ = Stage::kHung;
    return;
  }
  out.push_back(kFirstStageAck);
  stage_ = Stage::kAwaitPlus;
}

void BootRom::FinishDownload(Bytes& out) {
  if (faults_.noBootDone) {
    stage_ = Stage::kHung;
    return;
  }
  out.push_back(kProgramStarted);
  stage_ = Stage::kStarted;
}

}  // namespace rzsim
