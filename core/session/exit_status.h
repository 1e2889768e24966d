#pragma once

namespace rz {

// The exit statuses of the three programs (the window on Linux, the window on
// Windows and the command line), one table for all.
// Every operation succeeded; a window was left with its exit button.
inline constexpr int kExitOk = 0;
// An operation failed or was stopped (ESC, Ctrl-C, a termination signal), an
// operation had to be left behind at the end, or the results log or the run
// record could not be written at the end.
inline constexpr int kExitFailed = 1;
// Nothing ran: a wrong command line, or the station could not start (the
// test program or the record file could not be opened, the window could not
// be created).
inline constexpr int kExitUsage = 2;

}  // namespace rz
