// The command-line station on Windows: a console in UTF-8 that redraws with
// its virtual-terminal sequences where it has them (plain lines otherwise),
// ports named COM1..COM256, the arguments taken from the wide command line.

#include <windows.h>

#include <io.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "cli_platform.h"
#include "win32/serial_win32.h"
#include "win32/win32_command_line.h"
#include "win32/win32_text.h"

namespace rz::cli {
namespace {

constexpr int kHighestComPort = 256;

HANDLE HandleOf(std::FILE* stream) {
  return reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream)));
}

// The console's code page and output mode as they were before the station
// changed them: they belong to the console, which outlives the program.
UINT gOriginalCodePage = 0;
DWORD gOriginalOutputMode = 0;
bool gOutputModeChanged = false;

void RestoreConsole() {
  if (gOriginalCodePage != 0) ::SetConsoleOutputCP(gOriginalCodePage);
  if (gOutputModeChanged) ::SetConsoleMode(::GetStdHandle(STD_OUTPUT_HANDLE), gOriginalOutputMode);
}

// True when the console of `handle` interprets ANSI sequences (switching
// that on if it can; Windows before 10 cannot).
bool EnableVirtualTerminal(HANDLE handle) {
  DWORD mode = 0;
  if (!::GetConsoleMode(handle, &mode)) return false;  // a file or a pipe
  if ((mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0) return true;
  if (!::SetConsoleMode(handle, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING)) return false;
  if (handle == ::GetStdHandle(STD_OUTPUT_HANDLE)) {
    gOriginalOutputMode = mode;
    gOutputModeChanged = true;
  }
  return true;
}

// Standard input read by a thread of its own, as a console read or a pipe
// read cannot wait with a time-out. The thread blocks in the read for as
// long as the process lives, so its state is never destroyed.
class InputPump {
 public:
  static InputPump& Instance() {
    static InputPump* pump = new InputPump();  // never destroyed: see above
    return *pump;
  }

  long Take(char* bytes, std::size_t size, int waitMs) {
    std::unique_lock lock(mutex_);
    arrived_.wait_for(lock, std::chrono::milliseconds(waitMs), [this] { return !pending_.empty() || ended_; });
    if (pending_.empty()) return ended_ ? -1 : 0;
    const std::size_t n = std::min(size, pending_.size());
    std::copy_n(pending_.begin(), n, bytes);
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(n));
    return static_cast<long>(n);
  }

 private:
  InputPump() { std::thread([this] { Run(); }).detach(); }

  void Run() {
    const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    const bool console = ::GetConsoleMode(input, &mode) != 0;
    for (;;) {
      std::string text;
      if (console) {
        wchar_t wide[256];
        DWORD read = 0;
        if (!::ReadConsoleW(input, wide, static_cast<DWORD>(std::size(wide)), &read, nullptr)) {
          // Ctrl-C interrupts the read; the console event handler acts on it.
          if (::GetLastError() == ERROR_OPERATION_ABORTED) continue;
          break;
        }
        text = win32::Utf8(wide, read);
        // Ctrl-Z at the start of a line ends the input, as Ctrl-D does on a terminal.
        if (!text.empty() && text[0] == '\x1a') break;
        if (text.empty()) continue;
      } else {
        char bytes[256];
        DWORD read = 0;
        if (!::ReadFile(input, bytes, sizeof bytes, &read, nullptr) || read == 0) break;
        text.assign(bytes, read);
      }
      std::lock_guard lock(mutex_);
      pending_.insert(pending_.end(), text.begin(), text.end());
      arrived_.notify_all();
    }
    std::lock_guard lock(mutex_);
    ended_ = true;
    arrived_.notify_all();
  }

  std::mutex mutex_;
  std::condition_variable arrived_;
  std::deque<char> pending_;
  bool ended_ = false;
};

}  // namespace

void PrepareConsole() {
  // The journal is UTF-8; the console shows it as such.
  gOriginalCodePage = ::GetConsoleOutputCP();
  ::SetConsoleOutputCP(CP_UTF8);
  std::atexit(RestoreConsole);
}

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  std::vector<std::string> args;
  if (win32::CommandLineArguments(args)) return args;
  return {argv + std::min(argc, 1), argv + argc};
}

bool CanRedrawInPlace(std::FILE* out) { return EnableVirtualTerminal(HandleOf(out)); }

int TerminalRows(std::FILE* out) {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (!::GetConsoleScreenBufferInfo(HandleOf(out), &info)) return INT_MAX;
  const int rows = info.srWindow.Bottom - info.srWindow.Top + 1;
  return rows > 0 ? rows : INT_MAX;
}

PortPaths DefaultPortPaths() { return {"COM1", "COM2"}; }

bool CheckPortName(const std::string& name, std::string& error) {
  const int number = ComPortNumber(name);
  if (number >= 1 && number <= kHighestComPort) return true;
  // A device path as the system names it: \\.\COM12, \\.\CNCA0, ...
  if (name.size() > 4 && name.compare(0, 4, "\\\\.\\") == 0) return true;
  error = "'" + name + "' is no serial port: give COM1 to COM" + std::to_string(kHighestComPort) +
          " or a device path such as \\\\.\\COM12";
  return false;
}

std::string HistoryFolderHelp() { return "%LOCALAPPDATA%\\rzstation\\history"; }

std::string PortOptionsHelp() {
  return "  --com1 PORT          port used as COM1 (default COM1): COM1 to COM256, or a\n"
         "                       device path such as \\\\.\\COM12; --list-ports shows them\n"
         "  --com2 PORT          port used as COM2 (default COM2)\n";
}

std::chrono::milliseconds TerminateGrace() {
  // Windows ends a process 5 s after its console was closed: the log must be
  // written before that.
  return std::chrono::milliseconds(3000);
}

long ReadInput(int fd, char* bytes, std::size_t size, int waitMs) {
  if (fd != 0) return -1;  // only standard input is ever read
  return InputPump::Instance().Take(bytes, size, waitMs);
}

}  // namespace rz::cli
