#pragma once

#include <vector>

#include "flash/flash_channel.h"

namespace rz {

// Which pieces of one pass over the Flash may hold an answer to another
// request, judged from the traces the channel leaves as the pass goes. A
// request sent again puts its piece and the next one in doubt: the other
// answer to it, arriving late, would be taken as the next piece's; so do a
// reply far later than usual and, on a path that repeats datagrams, a reply
// equal to a recent one (a copy that stood in for a lost request). An answer
// that arrives while none is awaited puts the whole pass in doubt: the piece
// whose answer it was, and every piece since, may have taken the answer of
// the one before, and that shift shows only when it ends.
class PieceDoubt {
 public:
  PieceDoubt(const FlashChannel& channel, int pieces);

  // Called after the exchanges of piece `index`, and once more after the
  // pass's settle (with no piece).
  void AfterPiece(int index);
  void AfterSettle();

  bool InDoubt(int index) const { return all_ || marked_[static_cast<std::size_t>(index)]; }
  bool Any() const;
  // The pieces in doubt, in order.
  std::vector<int> Pieces() const;

 private:
  // Takes in the channel's new traces: `surplus` when answers came unawaited,
  // `resent` for the traces that put single pieces in doubt.
  void Take(bool& surplus, bool& resent);

  const FlashChannel& channel_;
  ChannelTraces seen_;
  std::vector<bool> marked_;
  bool all_ = false;
};

}  // namespace rz
