#pragma once

// What the command-line station does differently on each system; one file a
// system implements it (cli_platform_posix.cpp, cli_platform_win32.cpp).

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "app/port_paths.h"

namespace rz::cli {

// Sets up the console for the station's output (UTF-8, line redrawing where
// the console has it). Called first in main.
void PrepareConsole();

// The command-line arguments after the program's name, as UTF-8.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// True when `out` is a terminal that can redraw lines in place.
bool CanRedrawInPlace(std::FILE* out);

// Rows of the terminal `out` shows; INT_MAX when that is unknown.
int TerminalRows(std::FILE* out);

// The devices used as COM1 and COM2 when --com1/--com2 are not given.
PortPaths DefaultPortPaths();
// Checks a --com1/--com2 value; false with `error` set when it names no port.
bool CheckPortName(const std::string& name, std::string& error);
// The lines of --help that describe --com1 and --com2.
std::string PortOptionsHelp();
// Where --help says the history is kept by default.
std::string HistoryFolderHelp();

// The text --list-ports prints: the system's serial ports, one a line.
std::string SystemPortList();

// How long a run that was told to end (a signal, the console closing) waits
// for the running operation to notice ESC before the log is written anyway.
std::chrono::milliseconds TerminateGrace();

// Waits at most `waitMs` for input on the descriptor `fd` (0: standard
// input, a console or a pipe) and takes what is there. Returns the number of
// bytes stored into `bytes`, 0 when nothing came in time, -1 at the end of
// the input.
long ReadInput(int fd, char* bytes, std::size_t size, int waitMs);

}  // namespace rz::cli
