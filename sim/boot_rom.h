#pragma once

#include <cstddef>
#include <cstdint>

#include "bytes.h"
#include "faults.h"

namespace rzsim {

// The processor's serial boot ROM: after a reset it announces itself with
// '<', takes a first stage of exactly 2048 bytes at 9600 baud and answers
// '>'; then, at 115200 baud, takes '+', a 32-bit little-endian length N and
// N more bytes, answers 'F' and starts the loaded program.
class BootRom {
 public:
  static constexpr std::size_t kFirstStageSize = 2048;
  static constexpr std::uint8_t kAnnounce = '<';
  static constexpr std::uint8_t kFirstStageAck = '>';
  static constexpr std::uint8_t kSecondStageStart = '+';
  static constexpr std::uint8_t kProgramStarted = 'F';

  enum class Stage {
    kFirstStage,  // counting the 2048 bytes of the first stage
    kAwaitPlus,   // waiting for '+'; other bytes are ignored
    kLength,      // collecting the 4 length bytes
    kBody,        // taking the N bytes of the second stage
    kStarted,     // the loaded program runs; the ROM takes nothing more
    kHung,        // stopped by a fault until the next reset
  };

  explicit BootRom(const Faults& faults) : faults_(faults) {}

  // Starts over after a reset and announces itself (after any noise).
  void Reset(Bytes& out);
  // Takes one byte from the station.
  void Receive(std::uint8_t byte, Bytes& out);

  Stage stage() const { return stage_; }
  // The ROM's line rate: 9600 for the first stage, 115200 after it.
  std::uint32_t LineBaud() const;
  // The second-stage length announced by the station.
  std::uint32_t SecondStageLength() const { return length_; }
  // How many second-stage bytes have been taken so far.
  std::uint32_t SecondStageTaken() const { return taken_; }

 private:
  void FinishFirstStage(Bytes& out);
  void FinishDownload(Bytes& out);

  const Faults& faults_;
  Stage stage_ = Stage::kFirstStage;
  std::size_t firstStageCount_ = 0;
  int lengthBytes_ = 0;
  std::uint32_t length_ = 0;
  std::uint32_t taken_ = 0;
  std::uint32_t downloadBytes_ = 0;  // bytes seen since the reset, for the lost-byte fault
};

// The i-th byte of the noise sent before '<'; never '<' itself.
std::uint8_t BootNoiseByte(std::uint32_t i);

}  // namespace rzsim
