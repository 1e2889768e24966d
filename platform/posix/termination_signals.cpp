#include "posix/termination_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <cerrno>

namespace rz {
namespace {

int gWakeWrite = -1;

// Only async-signal-safe calls: one write(2), errno kept as it was.
void WriteWake(int signal) {
  const int saved = errno;
  const char byte = static_cast<char>(signal);
  // A full pipe already holds a wake-up: nothing is lost when this fails.
  [[maybe_unused]] const ssize_t written = ::write(gWakeWrite, &byte, 1);
  errno = saved;
}

}  // namespace

int InstallTerminationSignalPipe() {
  std::array<int, 2> fds{};
  if (::pipe2(fds.data(), O_CLOEXEC | O_NONBLOCK) != 0) return -1;
  gWakeWrite = fds[1];
  struct sigaction action {};
  action.sa_handler = WriteWake;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGTERM, SIGHUP, SIGINT, SIGQUIT}) ::sigaction(signal, &action, nullptr);
  ::signal(SIGPIPE, SIG_IGN);
  return fds[0];
}

}  // namespace rz
