#include "window_thread_call.h"

namespace rz::win32 {

void RunOnWindowThread(HWND window, const std::function<void()>& apply) {
  if (window == nullptr || !IsWindow(window)) return;
  if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
    apply();
    return;
  }
  // SendMessageW returns when the window's thread has run the call, or at once
  // when the window is destroyed or its thread ends meanwhile.
  SendMessageW(window, kWindowCallMessage, 0, reinterpret_cast<LPARAM>(&apply));
}

bool HandleWindowCall(UINT message, WPARAM, LPARAM lParam) {
  if (message != kWindowCallMessage) return false;
  const auto* apply = reinterpret_cast<const std::function<void()>*>(lParam);
  if (apply != nullptr) (*apply)();
  return true;
}

}  // namespace rz::win32
