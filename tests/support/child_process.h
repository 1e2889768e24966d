#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace rz::testing {

// A program run by a test, with its output collected.
struct ProcessResult {
  static constexpr int kTimedOut = -2;
  int exitCode = -1;  // -1 when it was killed by a signal, kTimedOut when the test killed it
  std::string out;
  std::string err;
};

// Where a child's standard output goes.
enum class ChildOutput { Pipe, Terminal };

// Starts `args` (args[0] is the program's path) with stderr on a pipe and stdout
// on a pipe or on a pseudo-terminal (where a program draws live).
class ChildProcess {
 public:
  explicit ChildProcess(const std::vector<std::string>& args, ChildOutput output = ChildOutput::Pipe) {
    int out[2] = {-1, -1};
    int err[2];
    if (output == ChildOutput::Terminal) {
      out[0] = ::posix_openpt(O_RDWR | O_NOCTTY);
      if (out[0] < 0 || ::grantpt(out[0]) != 0 || ::unlockpt(out[0]) != 0) return;
      out[1] = ::open(::ptsname(out[0]), O_RDWR | O_NOCTTY);
      if (out[1] < 0) return;
    } else if (::pipe(out) != 0) {
      return;
    }
    if (::pipe(err) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(out[1], STDOUT_FILENO);
      ::dup2(err[1], STDERR_FILENO);
      ::close(out[0]);
      ::close(err[0]);
      ::close(out[1]);
      ::close(err[1]);
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
  pid_t Pid() const { return pid_; }

  // Collects output until the process ends. A process still running after
  // `limit` is a failure of the test: it is killed, and the test says so.
  ProcessResult Wait(std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    int status = 0;
    bool killed = false;
    for (;;) {
      const bool open = Pump(20);
      const pid_t done = ::waitpid(pid_, &status, WNOHANG);
      if (done == pid_ || done < 0) break;
      if (!open) std::this_thread::sleep_for(std::chrono::milliseconds(20));
      if (!killed && std::chrono::steady_clock::now() > end) {
        std::fprintf(stderr, "process %d still running after %lld ms: killed\n", static_cast<int>(pid_),
                     static_cast<long long>(limit.count()));
        ::kill(pid_, SIGKILL);
        killed = true;
      }
    }
    // What the process wrote just before it ended (bounded: a child of its
    // own may still hold the pipes).
    for (int i = 0; i < 50 && Pump(5);) ++i;
    finished_ = true;
    signal_ = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    result_.exitCode = killed ? ProcessResult::kTimedOut : WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result_;
  }
  // The signal that ended the process, or 0.
  int TermSignal() const { return signal_; }

  // Collects output until `text` has appeared on stdout or stderr; false (and
  // a line on stderr naming `text`) when it has not within `limit`.
  bool AwaitOutput(const std::string& text, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (result_.out.find(text) == std::string::npos && result_.err.find(text) == std::string::npos) {
      if (std::chrono::steady_clock::now() > end || !Pump(10)) {
        std::fprintf(stderr, "no '%s' from process %d within %lld ms\n", text.c_str(), static_cast<int>(pid_),
                     static_cast<long long>(limit.count()));
        return false;
      }
    }
    return true;
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
    ssize_t got = ::read(fd, buffer, sizeof buffer);
    while (got < 0 && errno == EINTR) got = ::read(fd, buffer, sizeof buffer);
    if (got > 0) {
      into.append(buffer, static_cast<std::size_t>(got));
    } else {
      ::close(fd);
      fd = -1;
    }
  }

  pid_t pid_ = -1;
  int signal_ = 0;
  int out_ = -1;
  int err_ = -1;
  bool finished_ = false;
  ProcessResult result_;
};

}  // namespace rz::testing
