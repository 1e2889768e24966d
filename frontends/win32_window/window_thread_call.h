#pragma once

#include "windows_api.h"

#include <functional>

namespace rz::win32 {

// The private message that carries a call from another thread to a window's
// thread. The window procedure (or dialog procedure) of every window that
// takes such calls passes its messages to HandleWindowCall first.
inline constexpr UINT kWindowCallMessage = WM_APP + 1;

// Runs `apply` on the thread that owns `window` and returns once it has run:
// directly when called on that thread, otherwise sent as kWindowCallMessage
// (a sent message is handled even while that thread runs a modal dialog or a
// message box). The window's thread never waits for a worker, so this cannot
// lock up. Returns whether it has run: false, without running it, when there
// is no window or it has gone.
bool RunOnWindowThread(HWND window, const std::function<void()>& apply);

// For a window procedure: runs the call a kWindowCallMessage carries and
// returns true; false for every other message.
bool HandleWindowCall(UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace rz::win32
