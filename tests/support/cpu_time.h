#pragma once

#include <sys/resource.h>

namespace rz::testing {

// CPU time this process has used so far, user and system, in seconds: a wait
// that spins shows up here, one that sleeps does not.
inline double ProcessCpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace rz::testing
