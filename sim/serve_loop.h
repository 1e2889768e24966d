#pragma once

#include <atomic>
#include <cstdio>
#include <functional>

#include "board.h"
#include "pty_link.h"
#include "udp_side.h"

namespace rzsim {

// Requests from outside the loop: signal handlers or another thread.
struct ServeControl {
  std::atomic<bool> stop{false};
  std::atomic<bool> reset{false};  // the RESET button
  static_assert(std::atomic<bool>::is_always_lock_free, "set from signal handlers");
};

struct ServeOptions {
  bool autoReset = true;
  bool pace = false;
  std::FILE* log = nullptr;  // board events, one line each; nullptr: quiet
  // Called once the board's power-on output has been written to the
  // terminal, so a station that opens the port afterwards and flushes its
  // input never sees a stale '<'.
  std::function<void()> onReady;
  // The board's network side, served alongside the terminal; nullptr: none.
  UdpSide* udp = nullptr;
};

// Resets the board and serves it on the link until `control.stop` is set.
// Wakes at least every few milliseconds to watch the station's line speed,
// and never spins: every pass waits in poll() or sleeps.
void Serve(PtyLink& link, Board& board, const ServeOptions& options, ServeControl& control);

}  // namespace rzsim
