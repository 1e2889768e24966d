#include "board.h"

#include <algorithm>

namespace rzsim {

Board::Board(const BoardModel& model, const Faults& faults)
    : model_(model), faults_(faults), bootRom_(faults_), program_(model_, faults_) {}

void Board::Reset() {
  out_.clear();
  outStart_ = 0;
  scratch_.clear();
  bootRom_.Reset(scratch_);
  Emit(scratch_);
}

std::uint32_t Board::LineBaud() const {
  return ProgramRunning() ? program_.LineBaud() : bootRom_.LineBaud();
}

void Board::Receive(std::uint8_t byte, SpeedSamples speed) {
  if (!speed.Matches(LineBaud())) {
    ++garbled_;
    return;
  }
  scratch_.clear();
  if (ProgramRunning()) {
    program_.Receive(byte, scratch_);
  } else {
    bootRom_.Receive(byte, scratch_);
    if (ProgramRunning()) program_.Start();
  }
  Emit(scratch_);
}

std::span<const std::uint8_t> Board::Output() const {
  return std::span<const std::uint8_t>(out_).subspan(outStart_);
}

void Board::ConsumeOutput(std::size_t n) {
  outStart_ = std::min(out_.size(), outStart_ + n);
  // Long replies leave in small pieces. The carried bytes are dropped once
  // they are all of the buffer or more than half of it, so the buffer is
  // not shifted for every piece.
  if (outStart_ == out_.size()) {
    out_.clear();
    outStart_ = 0;
  } else if (outStart_ > out_.size() / 2) {
    out_.erase(out_.begin(), out_.begin() + static_cast<std::ptrdiff_t>(outStart_));
    outStart_ = 0;
  }
}

std::chrono::milliseconds Board::TakeAnswerDelay() {
  const std::uint64_t writes = program_.flashState().writes;
  if (writes == writesSeen_) return std::chrono::milliseconds::zero();
  writesSeen_ = writes;
  return std::chrono::milliseconds(faults_.flash.writeDelayMs);
}

void Board::Emit(const Bytes& bytes) {
  if (faults_.silent) return;
  out_.insert(out_.end(), bytes.begin(), bytes.end());
}

}  // namespace rzsim
