// What the run record needs of the host on POSIX. Atomic replacement goes
// through the host system's new files: a temporary file in the same directory,
// flushed, renamed over the target; a target that is not a regular file (a
// device node, a FIFO, a directory) is refused and never replaced.

#include <unistd.h>

#include <string>

#include "app/host_system.h"
#include "record/record_host.h"

namespace rz {

bool ReplaceFileAtomically(const std::string& path, const std::string& content, std::string& reason) {
  return ReplaceWholeFile(PlatformHostSystem(), path, content, reason);
}

std::string HostName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return "";
  return name;
}

}  // namespace rz
