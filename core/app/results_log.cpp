#include "app/results_log.h"

#include <cstdio>
#include <memory>

#include "app/cp1251.h"
#include "app/host_system.h"
#include "app/station_ui.h"
#include "app/texts.h"

namespace rz {
namespace {

// "== Результаты тестирования RZ-контроллера ", 42 bytes in CP1251.
constexpr const char* kHeader = "== Результаты тестирования RZ-контроллера ";

std::string DateTimeLine(const std::tm& t) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%02d.%02d.%04d %02d:%02d\r\n", t.tm_mday, t.tm_mon + 1,
                t.tm_year + 1900, t.tm_hour, t.tm_min);
  return buffer;
}

}  // namespace

std::string FormatResultsLog(const std::vector<std::string>& journalLines, const std::tm& localTime) {
  std::string out = Utf8ToCp1251(kHeader);
  out += DateTimeLine(localTime);
  std::size_t total = 0;
  for (const std::string& line : journalLines) {
    std::string bytes = Utf8ToCp1251(line);
    if (bytes.size() > kLogLineMaxChars) bytes.resize(kLogLineMaxChars);
    out += bytes;
    out += "\r\n";
    total += bytes.size();
    if (total > kLogMaxTotalChars) break;
  }
  return out;
}

bool WriteResultsLog(StationUi& ui, HostSystem& system, const std::string& workDir) {
  std::vector<std::string> lines;
  const int count = ui.JournalLineCount();
  lines.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) lines.push_back(ui.JournalLineText(i));

  const std::string bytes = FormatResultsLog(lines, system.LocalTimeNow());

  // A new file beside the old log, put in its place once it is whole: a log
  // that cannot be written (a full disk) leaves the previous one, and a path
  // that is not a regular file (a FIFO) is refused without waiting on it.
  const std::string path = workDir + kResultsLogFileName;
  std::string reason;
  if (ReplaceWholeFile(system, path, bytes, reason)) return true;
  ui.ShowError({text::kErrorCaption, std::string(text::kFileCreateError) + "<" + kResultsLogFileName + ">",
                true, system.ShownPath(path) + ": " + reason});
  return false;
}

}  // namespace rz
