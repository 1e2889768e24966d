// Clicks buttons of a running rzstation.exe from another process, as a
// technician would, so that the real program can be run from start to exit:
//   rz_win32_window_driver BUTTON...   (download, configuration, exit)
// Waits for the station's window, then for each button in turn: waits until
// it is enabled, clicks it, and waits until what the click started has ended
// (the button disabled and enabled again) or the window has gone. Exit status
// 0 when every click was taken, 1 with the reason otherwise. Every wait is
// bounded.

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <thread>

#include "app/controls.h"
#include "app/texts.h"
#include "win32/win32_text.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::seconds;

constexpr seconds kWindowWait{60};
constexpr seconds kClickTaken{10};
constexpr seconds kOperationWait{120};

bool WaitFor(const std::function<bool()>& done, seconds limit) {
  const auto end = Clock::now() + limit;
  while (!done()) {
    if (Clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

const std::map<std::string, int> kButtons = {
    {"download", rz::ControlOf(rz::Button::Download).id},
    {"configuration", rz::ControlOf(rz::Button::Configuration).id},
    {"exit", rz::ControlOf(rz::Button::Exit).id}};

int Fail(const std::string& reason) {
  std::fprintf(stderr, "window driver: %s\n", reason.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::wstring caption = rz::win32::Wide(rz::text::kWindowCaption);
  HWND window = nullptr;
  if (!WaitFor([&] { return (window = FindWindowW(nullptr, caption.c_str())) != nullptr && IsWindowVisible(window); },
               kWindowWait)) {
    return Fail("the station's window did not open");
  }
  for (int i = 1; i < argc; ++i) {
    const auto named = kButtons.find(argv[i]);
    if (named == kButtons.end()) return Fail("no button is called " + std::string(argv[i]));
    const int id = named->second;
    HWND button = GetDlgItem(window, id);
    if (button == nullptr) return Fail("the window has no button " + std::string(argv[i]));
    if (!WaitFor([&] { return !IsWindow(window) || IsWindowEnabled(button) != FALSE; }, kOperationWait) ||
        !IsWindow(window)) {
      return Fail("button " + std::string(argv[i]) + " never became enabled");
    }
    // The notification a click sends, posted so that this process never
    // waits on the station's window thread.
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    if (!WaitFor([&] { return !IsWindow(window) || IsWindowEnabled(button) == FALSE; }, kClickTaken)) {
      return Fail("the click on button " + std::string(argv[i]) + " was not taken");
    }
    if (!WaitFor([&] { return !IsWindow(window) || IsWindowEnabled(button) != FALSE; }, kOperationWait)) {
      return Fail("what button " + std::string(argv[i]) + " started did not end");
    }
    std::printf("window driver: button %s clicked%s\n", argv[i], IsWindow(window) ? "" : ", the window closed");
  }
  return 0;
}
