#pragma once

// Driving the native dialogs in-process, by messages, with no display: a
// modal dialog is driven from a helper thread while the test thread runs it.
// Every wait is bounded.

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

namespace rz::win32::test {

using Clock = std::chrono::steady_clock;

// Waits at most 5 s for a visible dialog of `threadId` other than `except`.
inline HWND AwaitDialog(DWORD threadId, HWND except = nullptr) {
  std::pair<HWND, HWND> search{except, nullptr};  // except, found
  const auto end = Clock::now() + std::chrono::seconds(5);
  while (search.second == nullptr && Clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EnumThreadWindows(
        threadId,
        [](HWND window, LPARAM data) -> BOOL {
          auto* s = reinterpret_cast<std::pair<HWND, HWND>*>(data);
          wchar_t name[16] = {};
          GetClassNameW(window, name, 16);
          if (window == s->first || !IsWindowVisible(window) || std::wstring(name) != L"#32770") return TRUE;
          s->second = window;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
  }
  return search.second;
}

inline std::wstring Text(HWND window) {
  wchar_t buffer[512] = {};
  GetWindowTextW(window, buffer, 512);
  return buffer;
}

// Whether the font `window` draws with has a fixed pitch.
inline bool FixedPitch(HWND window) {
  const HDC dc = GetDC(window);
  SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(window, WM_GETFONT, 0, 0)));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  ReleaseDC(window, dc);
  return (metrics.tmPitchAndFamily & TMPF_FIXED_PITCH) == 0;  // the bit means a variable pitch
}

// Types `text` into `control` as characters, then presses `key` there (0: none).
inline void Type(HWND control, const std::wstring& text, UINT key = 0) {
  for (wchar_t c : text) PostMessageW(control, WM_CHAR, c, 0);
  if (key != 0) {
    PostMessageW(control, WM_KEYDOWN, key, 0);
    PostMessageW(control, WM_KEYUP, key, 0);
  }
}

// Runs `steps` on a helper thread with the dialog that the constructing thread
// opens next (`except`: a dialog already open, such as a main window). A
// dialog still open 5 s after the steps is cancelled, and Problem() says so.
class ModalDriver {
 public:
  explicit ModalDriver(std::function<void(HWND dialog)> steps, HWND except = nullptr)
      : owner_(GetCurrentThreadId()), except_(except),
        thread_([this, steps = std::move(steps)] { Drive(steps); }) {}
  ~ModalDriver() { Problem(); }
  const std::string& Problem() {
    if (thread_.joinable()) thread_.join();
    return problem_;
  }

 private:
  void Drive(const std::function<void(HWND)>& steps) {
    HWND dialog = AwaitDialog(owner_, except_);
    if (dialog == nullptr) {
      problem_ = "no dialog opened";
      return;
    }
    steps(dialog);
    const auto end = Clock::now() + std::chrono::seconds(5);
    while (IsWindowVisible(dialog) && Clock::now() < end) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (IsWindowVisible(dialog)) {
      problem_ = "the dialog stayed open";
      PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    }
  }

  DWORD owner_;
  HWND except_;
  std::string problem_;
  std::thread thread_;
};

}  // namespace rz::win32::test
