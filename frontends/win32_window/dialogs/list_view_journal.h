#pragma once

#include <windows.h>

#include <string>

#include "app/journal_lines.h"

namespace rz::win32 {

// A report-mode list view used as a journal: one column, one item a line.
// Window thread only. Texts are UTF-8.

// Grid lines on and the one left-aligned column `title`, `pixels` wide.
void SetUpJournalList(HWND list, const std::string& title, int pixels);

// Applies an append (mode 0) or a replacement (line count + mode) to `lines`
// by the journal's rules and shows it in `list`, which mirrors `lines`; a
// line index outside the journal changes nothing. Then the last line is
// scrolled into view.
void ApplyJournalLine(HWND list, JournalLines& lines, int mode, const std::string& text);
// One item of the list: a new one inserted before `line`, or the text of
// line `line` replaced.
void InsertJournalItem(HWND list, int line, const std::string& text);
void SetJournalItem(HWND list, int line, const std::string& text);

int JournalLineCount(HWND list);
// The text of line `index` (0-based), read back from the list view; "" for a
// line that does not exist.
std::string JournalLineText(HWND list, int index);

}  // namespace rz::win32
