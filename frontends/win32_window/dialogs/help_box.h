#pragma once

#include <windows.h>

#include <string>

namespace rz::win32 {

// Shows a help text in a message box owned by `owner`: the caption, the text
// in the windows' fixed-width font (its tables and columns line up, no line
// is wrapped: the box is as wide as the longest line), an OK button, no icon.
// ENTER and ESC close it.
void ShowHelpMessageBox(HWND owner, const std::string& caption, const std::string& text);

}  // namespace rz::win32
