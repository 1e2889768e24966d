#pragma once

#include <cstdint>
#include <string>

#include "boardtests/external_com_params.h"

namespace rz {

// The lines of the external channel test's table in the journal. The table
// starts at the journal base B: B empty, B + 1 the title, B + 2 and B + 3 the
// header rows, B + 4 + i the row of channel position i.
inline constexpr int kExtComTitleLine = 1;
inline constexpr int kExtComHeaderLine = 2;
inline constexpr int kExtComFifoLine = 3;
inline constexpr int kExtComFirstRow = 4;

// Access time in ns shown in the header: 28 ns per step at 74 MHz (CPU clock
// selector on its first entry), 23 at 90 MHz, times 9 - ((timing >> 2) & 7).
int AccessTimeNs(int cpuEntry, std::uint8_t accessTiming);

// Header row 1: line mode, speed, access time, block size, code pattern.
std::string ExtComHeaderRow(const ExtComParams& params, int cpuEntry, std::uint8_t accessTiming);
// Header row 2: FIFO mode and the cycle counter.
std::string ExtComFifoRow(std::int32_t fifoMode, std::uint16_t cycle);

// The row of position i drawn before the first cycle.
std::string ExtComEmptyRow(int position);
// An absent position's row.
std::string ExtComAbsentRow(int position);
// A present channel's row in FIFO modes 0-2: its number, the result decoded from
// its status byte, and its error counter.
std::string ExtComChannelRow(std::int32_t fifoMode, std::uint8_t channel, std::uint8_t status,
                             std::uint16_t errors);
// The row of position i in FIFO mode 3: counters A and B, then the error
// counter with C and D.
std::string ExtComParallelRow(int position, const ExtComState::FifoCounters& counters, std::uint16_t errors);

}  // namespace rz
