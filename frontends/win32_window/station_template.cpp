#include "station_template.h"

#include <commctrl.h>

#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <string>

#include "app/controls.h"
#include "app/texts.h"
#include "win32/win32_text.h"

namespace rz::win32 {
namespace {

constexpr WORD kFontPoints = 9;
constexpr const wchar_t* kFontFace = L"Lucida Console";
constexpr DWORD kWindowStyle = DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION;
constexpr DWORD kWindowExStyle = WS_EX_APPWINDOW;

// Atoms of the system's predefined window classes in a dialog template.
constexpr WORD kButtonClass = 0x0080;
constexpr WORD kStaticClass = 0x0082;
constexpr WORD kComboBoxClass = 0x0085;

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
      return {kStaticClass, nullptr, SS_LEFT};
  }
  return {kStaticClass, nullptr, 0};
}

// Appends the template's fields: WORDs, DWORDs and strings, in a byte buffer.
class TemplateWriter {
 public:
  void Word(WORD value) { Append(&value, sizeof value); }
  void Dword(DWORD value) { Append(&value, sizeof value); }
  void Short(short value) { Append(&value, sizeof value); }
  void Text(const std::wstring& text) { Append(text.c_str(), (text.size() + 1) * sizeof(wchar_t)); }
  void Rect(const UnitRect& r) {
    for (const int value : {r.x, r.y, r.w, r.h}) Short(static_cast<short>(value));
  }
  // Dialog items start on a DWORD boundary.
  void AlignToDword() {
    while (bytes_.size() % sizeof(DWORD) != 0) bytes_.push_back(0);
  }
  std::vector<DWORD> Finish() {
    AlignToDword();
    std::vector<DWORD> words(bytes_.size() / sizeof(DWORD));
    std::memcpy(words.data(), bytes_.data(), bytes_.size());
    return words;
  }

 private:
  void Append(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    bytes_.insert(bytes_.end(), bytes, bytes + size);
  }
  std::vector<unsigned char> bytes_;
};

}  // namespace

std::vector<DWORD> StationDialogTemplate() {
  TemplateWriter out;
  out.Word(1);       // dlgVer
  out.Word(0xFFFF);  // signature: DLGTEMPLATEEX
  out.Dword(0);      // helpID
  out.Dword(kWindowExStyle);
  out.Dword(kWindowStyle);
  out.Word(static_cast<WORD>(std::size(kMainWindowControls)));
  out.Rect(kMainWindowRect);
  out.Word(0);  // no menu
  out.Word(0);  // the standard dialog class
  out.Text(Wide(text::kWindowCaption));
  out.Word(kFontPoints);
  out.Word(FW_DONTCARE);
  out.Word(0);  // not italic, ANSI_CHARSET
  out.Text(kFontFace);
  for (const ControlRow& row : kMainWindowControls) {
    const NativeControl control = NativeControlOf(row);
    out.AlignToDword();
    out.Dword(0);  // helpID
    out.Dword(0);  // exStyle
    out.Dword(WS_CHILD | WS_VISIBLE | control.style);
    out.Rect(row.rect);
    out.Dword(static_cast<DWORD>(row.id));
    if (control.atom != 0) {
      out.Word(0xFFFF);
      out.Word(control.atom);
    } else {
      out.Text(control.name);
    }
    out.Text(Wide(row.caption));
    out.Word(0);  // no creation data
  }
  return out.Finish();
}

}  // namespace rz::win32
