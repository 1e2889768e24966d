#include "list_view_journal.h"

#include <commctrl.h>

#include <vector>

#include "win32/win32_text.h"

namespace rz::win32 {

void SetUpJournalList(HWND list, const std::string& title, int pixels) {
  ListView_SetExtendedListViewStyleEx(list, LVS_EX_GRIDLINES, LVS_EX_GRIDLINES);
  std::wstring text = Wide(title);
  LVCOLUMNW column{};
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
  column.fmt = LVCFMT_LEFT;
  column.cx = pixels;
  column.pszText = text.data();
  SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
}

void InsertJournalItem(HWND list, int line, const std::string& text) {
  std::wstring wide = Wide(text);
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = line;
  item.pszText = wide.data();
  SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void SetJournalItem(HWND list, int line, const std::string& text) {
  std::wstring wide = Wide(text);
  LVITEMW item{};
  item.iSubItem = 0;
  item.pszText = wide.data();
  SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(&item));
}

void ApplyJournalLine(HWND list, JournalLines& lines, int mode, const std::string& text) {
  const int line = lines.Add(mode, text);
  if (line < 0) return;
  if (mode == 0) {
    InsertJournalItem(list, line, text);
  } else {
    SetJournalItem(list, line, text);
  }
  ListView_EnsureVisible(list, lines.Count() - 1, FALSE);
}

int JournalLineCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

std::string JournalLineText(HWND list, int index) {
  if (index < 0 || index >= JournalLineCount(list)) return "";
  // The list view copies at most the buffer's size less one: grow the buffer
  // until the text fits with room to spare.
  for (std::size_t size = 256;; size *= 2) {
    std::vector<wchar_t> buffer(size);
    LVITEMW item{};
    item.iSubItem = 0;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(size);
    const auto length = static_cast<std::size_t>(
        SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
    if (length + 1 < size) return Utf8(buffer.data(), length);
  }
}

}  // namespace rz::win32
