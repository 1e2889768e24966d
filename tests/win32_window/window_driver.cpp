// Clicks buttons of a running rzstation.exe from another process, as a
// technician would, so that the real program can be run from start to exit:
//   rz_win32_window_driver STEP...
// where a STEP is a button (download, configuration, exit), or serial=TEXT:
// the serial-number dialog that the next button's operation opens gets TEXT
// typed into its box and then ENTER, as from a barcode scanner (serial= with
// no text skips the board), or status=TEXT: waits until the status line shows
// TEXT (a production sequence's verdict), answering that dialog meanwhile.
// Waits for the station's window, then for each button in turn: waits until
// it is enabled, clicks it, and waits until what the click started has ended
// (the button disabled and enabled again) or the window has gone, answering
// the serial-number dialog on the way. Exit status 0 when every click was
// taken, 1 with the reason otherwise. Every wait is bounded.

#include <windows.h>
#include <shellapi.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/controls.h"
#include "app/serial_number_entry.h"
#include "app/texts.h"
#include "dialog_driver.h"
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

// Types `answer` and ENTER into the serial-number dialog when one is open;
// true once it has been answered.
bool AnswerSerialNumber(const std::wstring& answer) {
  static const std::wstring caption = rz::win32::Wide(rz::text::kSerialNumberDialogTitle);
  HWND dialog = FindWindowW(L"#32770", caption.c_str());
  HWND edit = dialog != nullptr ? FindWindowExW(dialog, nullptr, L"Edit", nullptr) : nullptr;
  if (edit == nullptr || !IsWindowVisible(dialog)) return false;
  rz::win32::test::Type(edit, answer, VK_RETURN);
  return true;
}

// The status line's text (asked with a bounded wait, never blocking on the
// station's window thread).
std::wstring StatusText(HWND window) {
  wchar_t text[256] = {};
  DWORD_PTR ignored = 0;
  HWND status = GetDlgItem(window, rz::ControlOf(rz::ControlRole::StatusLine).id);
  if (status == nullptr ||
      SendMessageTimeoutW(status, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 1000, &ignored) == 0) {
    return {};
  }
  return text;
}

int Fail(const std::string& reason) {
  std::fprintf(stderr, "window driver: %s\n", reason.c_str());
  return 1;
}

}  // namespace

int main() {
  // The steps as UTF-8, from the wide command line: the narrow one would turn
  // a Cyrillic status= text into question marks.
  int argc = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (wide == nullptr) return Fail("the command line cannot be read");
  std::vector<std::string> arguments;
  for (int i = 0; i < argc; ++i) arguments.push_back(rz::win32::Utf8(wide[i]));
  LocalFree(wide);
  std::vector<const char*> pointers;
  for (const std::string& argument : arguments) pointers.push_back(argument.c_str());
  const char* const* argv = pointers.data();
  const std::wstring caption = rz::win32::Wide(rz::text::kWindowCaption);
  HWND window = nullptr;
  if (!WaitFor([&] { return (window = FindWindowW(nullptr, caption.c_str())) != nullptr && IsWindowVisible(window); },
               kWindowWait)) {
    return Fail("the station's window did not open");
  }
  const std::string serialStep = "serial=";
  const std::string statusStep = "status=";
  std::optional<std::wstring> serial;  // the answer to the next serial-number dialog
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]).starts_with(serialStep)) {
      serial = rz::win32::Wide(std::string(argv[i]).substr(serialStep.size()));
      continue;
    }
    if (std::string(argv[i]).starts_with(statusStep)) {
      const std::wstring wanted = rz::win32::Wide(std::string(argv[i]).substr(statusStep.size()));
      const auto shown = [&] {
        if (serial && AnswerSerialNumber(*serial)) serial.reset();
        return !IsWindow(window) || StatusText(window).find(wanted) != std::wstring::npos;
      };
      if (!WaitFor(shown, kOperationWait) || !IsWindow(window)) return Fail("the status line never showed " + std::string(argv[i]));
      std::printf("window driver: the status line shows %s\n", argv[i] + statusStep.size());
      continue;
    }
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
    const auto ended = [&] {
      if (serial && AnswerSerialNumber(*serial)) serial.reset();
      return !IsWindow(window) || IsWindowEnabled(button) != FALSE;
    };
    if (!WaitFor(ended, kOperationWait)) return Fail("what button " + std::string(argv[i]) + " started did not end");
    // A production sequence asks after the download's own end: a status= step
    // that follows waits for the dialog too.
    const bool statusNext = i + 1 < argc && std::string(argv[i + 1]).starts_with(statusStep);
    if (serial && !statusNext) return Fail("button " + std::string(argv[i]) + " opened no serial-number dialog");
    std::printf("window driver: button %s clicked%s\n", argv[i], IsWindow(window) ? "" : ", the window closed");
  }
  return 0;
}
