// What the run record needs of the host on POSIX: the machine's name, and
// the local time with its offset from UTC from localtime_r. The record's files
// are replaced through the host system's new files (ReplaceWholeFile).

#include <unistd.h>

#include <ctime>
#include <string>

#include "record/record_host.h"

namespace rz {

std::tm LocalTimeOf(std::time_t moment, long& utcOffsetSeconds) {
  std::tm local{};
  ::localtime_r(&moment, &local);
  utcOffsetSeconds = local.tm_gmtoff;
  return local;
}

std::string HostName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return "";
  return name;
}

}  // namespace rz
