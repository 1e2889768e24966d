// The command-line station on POSIX systems: a terminal redraws with ANSI
// sequences, ports are device paths, --list-ports reads sysfs.

#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "cli_platform.h"
#include "port_list.h"

namespace rz::cli {

void PrepareConsole() {}

std::vector<std::string> CommandLineArguments(int argc, char** argv) { return {argv + 1, argv + argc}; }

bool CanRedrawInPlace(std::FILE* out) { return ::isatty(::fileno(out)) == 1; }

int TerminalRows(std::FILE* out) {
  winsize size{};
  if (::ioctl(::fileno(out), TIOCGWINSZ, &size) != 0 || size.ws_row == 0) return INT_MAX;
  return size.ws_row;
}

PortPaths DefaultPortPaths() { return {}; }

// Any path: the open says whether it is a serial device.
bool CheckPortName(const std::string&, std::string&) { return true; }

std::string HistoryFolderHelp() { return "rzstation/history in $XDG_DATA_HOME, else in ~/.local/share"; }

std::string PortOptionsHelp() {
  return "  --com1 PATH          device used as COM1 (default /dev/ttyS0), e.g. a USB adapter\n"
         "                       /dev/ttyUSB0 or the link made by rzboard-sim --link\n"
         "  --com2 PATH          device used as COM2 (default /dev/ttyS1)\n";
}

std::string SystemPortList() { return FormatPortList(ListSerialPorts("/sys")); }

std::chrono::milliseconds TerminateGrace() { return std::chrono::seconds(5); }

long ReadInput(int fd, char* bytes, std::size_t size, int waitMs) {
  pollfd p{fd, POLLIN, 0};
  if (::poll(&p, 1, waitMs) <= 0) return 0;
  const ssize_t n = ::read(fd, bytes, size);
  if (n < 0 && (errno == EINTR || errno == EAGAIN)) return 0;
  return n <= 0 ? -1 : static_cast<long>(n);
}

}  // namespace rz::cli
