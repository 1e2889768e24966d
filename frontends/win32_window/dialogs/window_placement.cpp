#include "window_placement.h"

#include <algorithm>

namespace rz::win32 {
namespace {

// After a window of the thread has handled WM_INITDIALOG: the dialog manager
// and the message box have placed it by then, and it is not yet shown.
LRESULT CALLBACK CentreAfterInit(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION) {
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (call->message == WM_INITDIALOG) CentreOnOwner(call->hwnd);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

void BringToForeground(HWND window) {
  SetForegroundWindow(window);
  BringWindowToTop(window);
  SetActiveWindow(window);
}

void CentreOnOwner(HWND window) {
  if ((GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) != 0) return;
  const HWND owner = GetWindow(window, GW_OWNER);
  if (owner == nullptr || !IsWindowVisible(owner)) return;
  RECT outer{};
  RECT own{};
  if (!GetWindowRect(owner, &outer) || !GetWindowRect(window, &own)) return;
  const LONG width = own.right - own.left;
  const LONG height = own.bottom - own.top;
  LONG x = outer.left + (outer.right - outer.left - width) / 2;
  LONG y = outer.top + (outer.bottom - outer.top - height) / 2;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor)) {
    const RECT& work = monitor.rcWork;
    x = std::max(work.left, std::min(x, work.right - width));
    y = std::max(work.top, std::min(y, work.bottom - height));
  }
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

CentreDialogsOnOwner::CentreDialogsOnOwner()
    : hook_(SetWindowsHookExW(WH_CALLWNDPROCRET, CentreAfterInit, nullptr, GetCurrentThreadId())) {}

CentreDialogsOnOwner::~CentreDialogsOnOwner() {
  if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
}

}  // namespace rz::win32
