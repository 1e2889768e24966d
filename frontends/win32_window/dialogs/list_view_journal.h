#pragma once

#include <windows.h>

#include <string>

namespace rz::win32 {

// A report-mode list view used as a journal: one column, one item a line.
// Window thread only. Texts are UTF-8.

// Grid lines on and the one left-aligned column `title`, `pixels` wide.
void SetUpJournalList(HWND list, const std::string& title, int pixels);

// Mode 0 appends `text` as the new last line; a negative mode replaces line
// (count + mode), so -1 is the last line; any other line index changes
// nothing. Then the last line is scrolled into view.
void ApplyJournalLine(HWND list, int mode, const std::string& text);

int JournalLineCount(HWND list);
// The text of line `index` (0-based), read back from the list view; "" for a
// line that does not exist.
std::string JournalLineText(HWND list, int index);

}  // namespace rz::win32
