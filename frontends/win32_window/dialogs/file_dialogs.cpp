// The standard open and save dialogs of the Flash transfer buttons.

#include <windows.h>

#include <commdlg.h>

#include <vector>

#include "flash/flash_texts.h"
#include "win32/win32_text.h"
#include "win32_dialogs.h"

namespace rz::win32 {
namespace {

// Room for a long path: the dialog refuses a choice that does not fit.
constexpr std::size_t kPathChars = 32768;

std::optional<std::string> AskFile(HWND owner, const std::string& folder, bool save) {
  // One filter entry "(*.*)" with the pattern "*.*"; the list ends with an
  // empty pair.
  std::wstring filter = Wide(text::kFileFilter);
  filter += L'\0';
  filter += L"*.*";
  filter += L'\0';
  const std::wstring initialFolder = Wide(folder);
  std::vector<wchar_t> path(kPathChars, L'\0');

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path.data();
  dialog.nMaxFile = static_cast<DWORD>(path.size());
  dialog.lpstrInitialDir = initialFolder.empty() ? nullptr : initialFolder.c_str();
  // The process's current directory stays where it was: the station's own
  // files (the test program, the results log) may be named relative to it.
  dialog.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_EXPLORER;
  if (save) dialog.Flags |= OFN_OVERWRITEPROMPT;
  const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
  if (!chosen) return std::nullopt;
  return Utf8(path.data());
}

}  // namespace

std::optional<std::string> AskOpenFile(HWND owner, const std::string& folder) { return AskFile(owner, folder, false); }

std::optional<std::string> AskSaveFile(HWND owner, const std::string& folder) { return AskFile(owner, folder, true); }

}  // namespace rz::win32
