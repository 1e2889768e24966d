#pragma once

// The simulated board, in a process of its own, reachable through a port.
//
// Where the environment names a board launcher's folder (RZ_SIM_CONTROL, as the
// Wine test driver sets it), the boards are started and stopped by that
// launcher, asked through files in the folder, and a port is a COM name the
// launcher links its board to. Otherwise the test starts rzboard-sim itself
// (POSIX only) and a port is the path of the board's link.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#if !defined(_WIN32)
#include <signal.h>

#include "child_process.h"
#endif

// A board that cannot be started fails the running GoogleTest test; a
// benchmark (no GoogleTest) says so on stderr.
#if defined(GOOGLETEST_INCLUDE_GTEST_GTEST_H_) || defined(GTEST_INCLUDE_GTEST_GTEST_H_)
#define RZ_BOARD_PROBLEM(message) ADD_FAILURE() << (message)
#else
#define RZ_BOARD_PROBLEM(message) std::fprintf(stderr, "%s\n", std::string(message).c_str())
#endif

namespace rz::testing {

// The board launcher's folder, or "" when the tests start boards themselves.
inline std::string BoardLauncherFolder() {
  const char* folder = std::getenv("RZ_SIM_CONTROL");
  return folder != nullptr ? folder : "";
}

// The launcher's protocol: the test writes "request" (a verb, the port, then
// the board's options, one a line) and waits for "reply" ("ok" or "error" and
// the reason on the first line); a board's output collects in "<port>.out".
class BoardLauncher {
 public:
  explicit BoardLauncher(std::string folder) : folder_(std::move(folder)) {}

  // Asks for `verb` ("start", "reset", "stop") on `port`; "" when done, else what went wrong.
  std::string Ask(const std::string& verb, const std::string& port, const std::vector<std::string>& options = {}) const {
    namespace fs = std::filesystem;
    std::error_code ignored;
    fs::remove(File("reply"), ignored);
    {
      std::ofstream request(File("request.tmp"), std::ios::binary | std::ios::trunc);
      request << verb << '\n' << port << '\n';
      for (const auto& option : options) request << option << '\n';
    }
    std::error_code error;
    fs::rename(File("request.tmp"), File("request"), error);
    if (error) return "cannot hand the request to the launcher: " + error.message();
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (!fs::exists(File("reply"), ignored)) {
      if (std::chrono::steady_clock::now() > end) return "no reply from the board launcher in " + folder_;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const std::string reply = Read("reply");
    fs::remove(File("reply"), ignored);
    return reply.rfind("ok", 0) == 0 ? "" : reply;
  }
  // What the board on `port` has printed so far.
  std::string Output(const std::string& port) const { return Read(port + ".out"); }
  // Where the launcher links the board on `port`.
  std::string LinkOf(const std::string& port) const { return File(port); }

 private:
  std::string File(const std::string& name) const { return folder_ + "/" + name; }
  std::string Read(const std::string& name) const {
    std::ifstream in(File(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  std::string folder_;
};

class SimulatedBoard {
 public:
  // Starts the board on `port` (see BoardPortFor) with rzboard-sim's `options`;
  // returns once the board is ready (its power-on '<' is out).
  SimulatedBoard(const std::string& port, std::vector<std::string> options = {}) : port_(port) {
    const std::string folder = BoardLauncherFolder();
    if (!folder.empty()) {
      // The launcher knows the port by its COM name, the last part of the path.
      com_ = port_.substr(port_.find_last_of("/\\") + 1);
      launcher_ = std::make_unique<BoardLauncher>(folder);
      const std::string error = launcher_->Ask("start", com_, options);
      if (!error.empty()) RZ_BOARD_PROBLEM("board on " + com_ + ": " + error);
      return;
    }
#if defined(RZ_SIM_PATH) && !defined(_WIN32)
    std::vector<std::string> args{RZ_SIM_PATH, "--link", port_};
    args.insert(args.end(), options.begin(), options.end());
    process_ = std::make_unique<ChildProcess>(args);
    // The board prints its line once it is ready.
    process_->AwaitOutput("\n");
#else
    RZ_BOARD_PROBLEM("no board launcher: set RZ_SIM_CONTROL (the Wine test driver does)");
#endif
  }
  ~SimulatedBoard() {
    if (launcher_) {
      const std::string error = launcher_->Ask("stop", com_);
      if (!error.empty()) RZ_BOARD_PROBLEM("board on " + com_ + ": " + error);
    }
#if !defined(_WIN32)
    if (process_) {
      process_->Signal(SIGTERM);
      process_->Wait(std::chrono::seconds(5));
    }
#endif
  }
  SimulatedBoard(const SimulatedBoard&) = delete;
  SimulatedBoard& operator=(const SimulatedBoard&) = delete;

  const std::string& Link() const { return port_; }
  void PressReset() const {
    if (launcher_) {
      const std::string error = launcher_->Ask("reset", com_);
      if (!error.empty()) RZ_BOARD_PROBLEM("board on " + com_ + ": " + error);
    }
#if !defined(_WIN32)
    if (process_) process_->Signal(SIGUSR1);
#endif
  }
  // Waits for `text` in the board's own report (--verbose) or output.
  bool AwaitReport(const std::string& text) {
#if !defined(_WIN32)
    if (process_) return process_->AwaitOutput(text);
#endif
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (launcher_ && launcher_->Output(com_).find(text) == std::string::npos) {
      if (std::chrono::steady_clock::now() > end) {
        RZ_BOARD_PROBLEM("no '" + text + "' from the board on " + com_ + " within 10 s");
        return false;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return launcher_ != nullptr;
  }

 private:
  std::string port_;
  std::string com_;
  std::unique_ptr<BoardLauncher> launcher_;
#if !defined(_WIN32)
  std::unique_ptr<ChildProcess> process_;
#endif
};

// What the station opens to reach a board started on `com` ("COM1", "COM2"):
// the COM name itself on Windows, the launcher's link where a launcher runs
// the boards, else a link in the test's own folder `dir`.
inline std::string BoardPortFor(const std::string& dir, const std::string& com) {
#if defined(_WIN32)
  (void)dir;
  return com;
#else
  const std::string folder = BoardLauncherFolder();
  return folder.empty() ? dir + "/" + com : BoardLauncher(folder).LinkOf(com);
#endif
}

}  // namespace rz::testing
