#pragma once

#include <cstdint>

#include "app/outcome.h"

namespace rz {

class Station;

inline constexpr std::uint32_t kMaxTestProgramSize = 24576;
inline constexpr std::uint32_t kFirstStageSize = 2048;
inline constexpr std::uint32_t kBootBaud = 9600;
// Reads made while waiting for '>' and 'F' (each up to 50 ms): about 12.8 s.
inline constexpr int kBootReplyTries = 256;

// The worker of "Загрузка программы": feeds the test program to the board's
// serial boot ROM (2048 bytes at 9600 baud, the rest at 115200) and waits for
// the test program to report that it runs.
Outcome DownloadTestProgram(Station& station);

}  // namespace rz
