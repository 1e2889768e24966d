#include "station_template.h"

#include <commctrl.h>

#include <cstddef>
#include <initializer_list>
#include <iterator>
#include <string>

#include "app/controls.h"
#include "app/texts.h"
#include "dialog_template.h"
#include "fixed_font.h"
#include "win32/win32_text.h"

namespace rz::win32 {
namespace {

constexpr DWORD kWindowStyle = DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION;
constexpr DWORD kWindowExStyle = WS_EX_APPWINDOW;

// The window class (an atom, or a name) and style of a role's control.
struct NativeControl {
  WORD atom;             // 0: the class is `name`
  const wchar_t* name;
  DWORD style;           // beyond WS_CHILD | WS_VISIBLE
};

NativeControl NativeControlOf(const ControlRow& row) {
  switch (row.role) {
    case ControlRole::Button:
      return {kButtonClass, nullptr,
              DWORD{WS_TABSTOP} | (row.button == Button::Download ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON)};
    case ControlRole::StatusLine:
      return {kStaticClass, nullptr, SS_CENTER | SS_CENTERIMAGE | WS_BORDER};
    case ControlRole::Journal:
      return {0, WC_LISTVIEWW, LVS_REPORT | LVS_NOCOLUMNHEADER | WS_BORDER};
    case ControlRole::SelectorFrame:
      return {kButtonClass, nullptr, BS_GROUPBOX};
    case ControlRole::EthernetSwitch:
      return {kButtonClass, nullptr, BS_AUTOCHECKBOX};
    case ControlRole::PortSelector:
    case ControlRole::CpuSelector:
      return {kComboBoxClass, nullptr, CBS_DROPDOWNLIST | WS_VSCROLL};
    case ControlRole::SoundLabel:
    case ControlRole::VerifyLabel:
      return {kStaticClass, nullptr, SS_LEFT};
  }
  return {kStaticClass, nullptr, 0};
}

}  // namespace

std::vector<DWORD> StationDialogTemplate() {
  TemplateWriter out;
  out.Dialog(kWindowExStyle, kWindowStyle, static_cast<WORD>(std::size(kMainWindowControls)), kMainWindowRect,
             Wide(text::kWindowCaption));
  out.Font(kFixedFontPoints, FixedFontFace());
  for (const ControlRow& row : kMainWindowControls) {
    const NativeControl control = NativeControlOf(row);
    out.Item(control.style, row.rect, row.id, control.atom, control.name, Wide(row.caption));
  }
  return out.Finish();
}

}  // namespace rz::win32
