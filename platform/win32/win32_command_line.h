#pragma once

#include <string>
#include <vector>

namespace rz::win32 {

// The program's arguments after its name, as UTF-8, from the wide command
// line (the narrow argv is in the ANSI code page and loses what it cannot
// hold). Nothing when the system cannot split the command line.
bool CommandLineArguments(std::vector<std::string>& args);

}  // namespace rz::win32
