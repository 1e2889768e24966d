#pragma once

#include <ctime>
#include <string>
#include <vector>

namespace rz {

class HostSystem;
class StationUi;

inline constexpr const char* kResultsLogFileName = "vesk_rz.log";

inline constexpr std::size_t kLogLineMaxChars = 99;
inline constexpr std::size_t kLogMaxTotalChars = 65536;

// The bytes of the results log: CP1251, CR LF, a header with the date and time,
// then the journal lines cut to 99 characters, stopping after the line that
// takes the running total of characters past 65536.
std::string FormatResultsLog(const std::vector<std::string>& journalLines, const std::tm& localTime);

// Writes the journal into "vesk_rz.log" in the working directory `workDir`
// (ending in '/'), replacing the file; shows "Ошибка создания файла <vesk_rz.log>" when it cannot be created.
// Returns whether the file was written.
bool WriteResultsLog(StationUi& ui, HostSystem& system, const std::string& workDir);

}  // namespace rz
