#pragma once

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/resource.h>
#endif

namespace rz::testing {

// CPU time this process has used so far, user and system, in seconds: a wait
// that spins shows up here, one that sleeps does not.
inline double ProcessCpuSeconds() {
#if defined(_WIN32)
  FILETIME created, exited, kernel, user;
  if (!::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0.0;
  const auto ticks = [](const FILETIME& t) {  // 100 ns each
    return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
  };
  return (ticks(kernel) + ticks(user)) / 1e7;
#else
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
#endif
}

}  // namespace rz::testing
