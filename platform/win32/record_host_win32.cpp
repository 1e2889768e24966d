// What the run record needs of the host on Windows: the computer's name and
// the local time with its offset from UTC (the record's files are replaced
// through the host system's new files, ReplaceWholeFile). The UTC offset is
// the difference between the local and the UTC calendar time of the moment,
// as the system's time zone rules give it.

#include <windows.h>

#include <cstdint>
#include <iterator>
#include <string>

#include "record/record_host.h"
#include "win32/win32_text.h"

namespace rz {
namespace {

// 100 ns intervals between 1601-01-01 (FILETIME) and 1970-01-01 (time_t).
constexpr std::int64_t kEpochDifference = 116444736000000000LL;
constexpr std::int64_t kTicksPerSecond = 10000000LL;

FILETIME FileTimeOf(std::time_t moment) {
  const std::int64_t ticks = static_cast<std::int64_t>(moment) * kTicksPerSecond + kEpochDifference;
  FILETIME time{};
  time.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFF);
  time.dwHighDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(ticks) >> 32);
  return time;
}

std::int64_t SecondsOf(const SYSTEMTIME& calendar) {
  FILETIME time{};
  ::SystemTimeToFileTime(&calendar, &time);
  const std::int64_t ticks =
      static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
  return (ticks - kEpochDifference) / kTicksPerSecond;
}

}  // namespace

std::string HostName() {
  wchar_t name[256] = {};
  DWORD length = static_cast<DWORD>(std::size(name));
  if (!::GetComputerNameExW(ComputerNameDnsHostname, name, &length)) {
    length = static_cast<DWORD>(std::size(name));
    if (!::GetComputerNameW(name, &length)) return "";
  }
  return win32::Utf8(name, length);
}

std::tm LocalTimeOf(std::time_t moment, long& utcOffsetSeconds) {
  const FILETIME utcTime = FileTimeOf(moment);
  SYSTEMTIME utc{};
  SYSTEMTIME local{};
  ::FileTimeToSystemTime(&utcTime, &utc);
  if (!::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) local = utc;
  utcOffsetSeconds = static_cast<long>(SecondsOf(local) - SecondsOf(utc));
  std::tm calendar{};
  calendar.tm_year = local.wYear - 1900;
  calendar.tm_mon = local.wMonth - 1;
  calendar.tm_mday = local.wDay;
  calendar.tm_hour = local.wHour;
  calendar.tm_min = local.wMinute;
  calendar.tm_sec = local.wSecond;
  calendar.tm_wday = local.wDayOfWeek;
  calendar.tm_isdst = -1;
  return calendar;
}

}  // namespace rz
