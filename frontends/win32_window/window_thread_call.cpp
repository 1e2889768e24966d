#include "window_thread_call.h"

namespace rz::win32 {

bool RunOnWindowThread(HWND window, const std::function<void()>& apply) {
  if (window == nullptr || !IsWindow(window)) return false;
  if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
    apply();
    return true;
  }
  // SendMessageW returns when the window's thread has run the call, or at once
  // when the window is destroyed or its thread ends meanwhile: `ran` tells which.
  bool ran = false;
  const std::function<void()> call = [&] {
    apply();
    ran = true;
  };
  SendMessageW(window, kWindowCallMessage, 0, reinterpret_cast<LPARAM>(&call));
  return ran;
}

bool HandleWindowCall(UINT message, WPARAM, LPARAM lParam) {
  if (message != kWindowCallMessage) return false;
  const auto* apply = reinterpret_cast<const std::function<void()>*>(lParam);
  if (apply != nullptr) (*apply)();
  return true;
}

}  // namespace rz::win32
