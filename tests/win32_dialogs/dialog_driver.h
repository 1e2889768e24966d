#pragma once

// Driving the native dialogs in-process, by messages, with no display: a
// modal dialog is driven from a helper thread while the test thread runs it;
// a modeless window is pumped on the test thread. Every wait is bounded.

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

namespace rz::win32::test {

using Clock = std::chrono::steady_clock;
inline constexpr std::chrono::seconds kDialogWait{5};

// A visible dialog of `threadId` other than `except`, or nullptr.
inline HWND FindDialog(DWORD threadId, HWND except = nullptr) {
  struct Search {
    HWND except;
    HWND found = nullptr;
  } search{except};
  EnumThreadWindows(
      threadId,
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        if (window == s->except || !IsWindowVisible(window) || std::wstring(name) != L"#32770") return TRUE;
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

inline HWND AwaitDialog(DWORD threadId, HWND except = nullptr) {
  const auto end = Clock::now() + kDialogWait;
  for (HWND found = nullptr; Clock::now() < end; std::this_thread::sleep_for(std::chrono::milliseconds(10))) {
    if ((found = FindDialog(threadId, except)) != nullptr) return found;
  }
  return nullptr;
}

inline std::wstring Text(HWND window) {
  wchar_t buffer[512] = {};
  GetWindowTextW(window, buffer, 512);
  return buffer;
}

inline HWND FocusOf(DWORD threadId) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(threadId, &info) ? info.hwndFocus : nullptr;
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
// opens next. Should the dialog still be open 5 s after the steps, it is
// cancelled, and Problem() says so.
class ModalDriver {
 public:
  explicit ModalDriver(std::function<void(HWND dialog)> steps)
      : owner_(GetCurrentThreadId()), thread_([this, steps = std::move(steps)] { Drive(steps); }) {}
  ~ModalDriver() { Finish(); }
  // Waits for the helper thread; the problem it met, or "".
  const std::string& Problem() {
    Finish();
    return problem_;
  }

 private:
  void Finish() {
    if (thread_.joinable()) thread_.join();
  }
  void Drive(const std::function<void(HWND)>& steps) {
    HWND dialog = AwaitDialog(owner_);
    if (dialog == nullptr) {
      problem_ = "no dialog opened";
      return;
    }
    steps(dialog);
    const auto end = Clock::now() + kDialogWait;
    while (IsWindow(dialog) && IsWindowVisible(dialog) && Clock::now() < end) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (IsWindow(dialog) && IsWindowVisible(dialog)) {
      problem_ = "the dialog stayed open";
      PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    }
  }

  DWORD owner_;
  std::string problem_;
  std::thread thread_;
};

}  // namespace rz::win32::test
