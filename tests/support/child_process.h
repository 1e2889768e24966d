#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace rz::testing {

// A program run by a test, with its output collected.
struct ProcessResult {
  int exitCode = -1;  // -1 when it was killed by a signal
  std::string out;
  std::string err;
};

// Starts `args` (args[0] is the program's path) with stdout and stderr on pipes.
class ChildProcess {
 public:
  explicit ChildProcess(const std::vector<std::string>& args) {
    int out[2];
    int err[2];
    if (::pipe(out) != 0 || ::pipe(err) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(out[1], STDOUT_FILENO);
      ::dup2(err[1], STDERR_FILENO);
      ::close(out[0]);
      ::close(err[0]);
      std::vector<char*> argv;
      for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
      argv.push_back(nullptr);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    out_ = out[0];
    err_ = err[0];
  }
  ~ChildProcess() {
    if (pid_ > 0 && !finished_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) ::close(out_);
    if (err_ >= 0) ::close(err_);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  void Signal(int signal) const { ::kill(pid_, signal); }

  // Collects output until the process ends (killing it after `limit`).
  ProcessResult Wait(std::chrono::milliseconds limit = std::chrono::seconds(60)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (Pump(50)) {
      if (std::chrono::steady_clock::now() > end) ::kill(pid_, SIGKILL);
    }
    int status = 0;
    ::waitpid(pid_, &status, 0);
    finished_ = true;
    result_.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result_;
  }

  // Reads what is there within `waitMs`; false once both pipes are closed.
  bool Pump(int waitMs) {
    pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
    if (out_ < 0 && err_ < 0) return false;
    ::poll(fds, 2, waitMs);
    ReadInto(out_, fds[0].revents, result_.out);
    ReadInto(err_, fds[1].revents, result_.err);
    return out_ >= 0 || err_ >= 0;
  }
  const std::string& OutputSoFar() const { return result_.out; }

 private:
  static void ReadInto(int& fd, short revents, std::string& into) {
    if (fd < 0 || revents == 0) return;
    char buffer[4096];
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got > 0) {
      into.append(buffer, static_cast<std::size_t>(got));
    } else {
      ::close(fd);
      fd = -1;
    }
  }

  pid_t pid_ = -1;
  int out_ = -1;
  int err_ = -1;
  bool finished_ = false;
  ProcessResult result_;
};

// The simulated board in a process of its own, reachable through a link.
class SimulatedBoard {
 public:
  SimulatedBoard(const std::string& linkPath, std::vector<std::string> options = {}) : link_(linkPath) {
    std::vector<std::string> args{RZ_SIM_PATH, "--link", linkPath};
    args.insert(args.end(), options.begin(), options.end());
    process_ = std::make_unique<ChildProcess>(args);
    // The board prints its line once it is ready (its power-on '<' is out).
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (process_->OutputSoFar().find('\n') == std::string::npos && std::chrono::steady_clock::now() < end) {
      if (!process_->Pump(10)) break;
    }
  }
  ~SimulatedBoard() {
    process_->Signal(SIGTERM);
    process_->Wait(std::chrono::seconds(5));
  }
  SimulatedBoard(const SimulatedBoard&) = delete;
  SimulatedBoard& operator=(const SimulatedBoard&) = delete;
  const std::string& Link() const { return link_; }
  void PressReset() const { process_->Signal(SIGUSR1); }

 private:
  std::string link_;
  std::unique_ptr<ChildProcess> process_;
};

}  // namespace rz::testing
