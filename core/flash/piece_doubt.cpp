#include "flash/piece_doubt.h"

#include <algorithm>

namespace rz {

PieceDoubt::PieceDoubt(const FlashChannel& channel, int pieces)
    : channel_(channel), seen_(channel.Traces()), marked_(static_cast<std::size_t>(std::max(pieces, 0)), false) {}

void PieceDoubt::Take(bool& surplus, bool& resent) {
  const ChannelTraces now = channel_.Traces();
  surplus = now.surplus != seen_.surplus;
  resent = now.resends != seen_.resends || now.late != seen_.late || now.repeated != seen_.repeated;
  seen_ = now;
}

void PieceDoubt::AfterPiece(int index) {
  bool surplus = false;
  bool resent = false;
  Take(surplus, resent);
  if (surplus) all_ = true;
  if (!resent) return;
  for (int k = index; k <= index + 1 && k < static_cast<int>(marked_.size()); ++k) {
    marked_[static_cast<std::size_t>(k)] = true;
  }
}

void PieceDoubt::AfterSettle() {
  bool surplus = false;
  bool resent = false;
  Take(surplus, resent);
  if (surplus || resent) all_ = true;
}

bool PieceDoubt::Any() const { return all_ || std::find(marked_.begin(), marked_.end(), true) != marked_.end(); }

std::vector<int> PieceDoubt::Pieces() const {
  std::vector<int> pieces;
  for (int k = 0; k < static_cast<int>(marked_.size()); ++k) {
    if (InDoubt(k)) pieces.push_back(k);
  }
  return pieces;
}

}  // namespace rz
