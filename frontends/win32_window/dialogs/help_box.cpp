#include "help_box.h"

#include <algorithm>

#include "dialog_template.h"
#include "fixed_font.h"
#include "win32/win32_text.h"

namespace rz::win32 {
namespace {

constexpr int kTextId = 100;
// Dialog units: the margins, the OK button.
constexpr int kMargin = 7;
constexpr int kButtonWidth = 50;
constexpr int kButtonHeight = 14;

// Pixels of a dialog-unit rectangle in `dialog`.
RECT Pixels(HWND dialog, int w, int h) {
  RECT r{0, 0, w, h};
  MapDialogRect(dialog, &r);
  return r;
}

// Sizes the text to its lines, puts the button below it and fits the box
// around both.
void Layout(HWND dialog) {
  const HWND label = GetDlgItem(dialog, kTextId);
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(label)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(label, text.data(), static_cast<int>(text.size()))));
  RECT extent{};
  const HDC dc = GetDC(label);
  const HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(dialog, WM_GETFONT, 0, 0)));
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &extent, DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS);
  SelectObject(dc, previous);
  ReleaseDC(label, dc);

  const RECT margin = Pixels(dialog, kMargin, kMargin);
  const RECT button = Pixels(dialog, kButtonWidth, kButtonHeight);
  const LONG textWidth = extent.right - extent.left;
  const LONG textHeight = extent.bottom - extent.top;
  const LONG clientWidth = std::max(textWidth, button.right) + 2 * margin.right;
  MoveWindow(label, margin.right, margin.bottom, textWidth, textHeight, FALSE);
  MoveWindow(GetDlgItem(dialog, IDOK), (clientWidth - button.right) / 2, 2 * margin.bottom + textHeight,
             button.right, button.bottom, FALSE);
  RECT frame{0, 0, clientWidth, 3 * margin.bottom + textHeight + button.bottom};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE)));
  SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    Layout(dialog);
    return TRUE;  // the focus on OK
  }
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

}  // namespace

void ShowHelpMessageBox(HWND owner, const std::string& caption, const std::string& text) {
  // Lines end in CR LF in a static control; the texts are joined by LF.
  std::wstring lines;
  for (wchar_t c : Wide(text)) {
    if (c == L'\n') lines += L'\r';
    lines += c;
  }
  TemplateWriter out;
  // The sizes are set once the font is known.
  out.Dialog(0, DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, 2, {0, 0, 100, 50}, Wide(caption));
  out.Font(kFixedFontPoints, FixedFontFace());
  out.Item(SS_LEFT | SS_NOPREFIX, {kMargin, kMargin, 10, 10}, kTextId, kStaticClass, nullptr, lines);
  out.Item(BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, {kMargin, 30, kButtonWidth, kButtonHeight}, IDOK, kButtonClass,
           nullptr, L"OK");
  const std::vector<DWORD> dialogTemplate = out.Finish();
  DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(dialogTemplate.data()), owner,
                          Proc, 0);
}

}  // namespace rz::win32
