#pragma once

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/unit_rect.h"

namespace rz::win32 {

// Atoms of the system's predefined window classes in a dialog template.
inline constexpr WORD kButtonClass = 0x0080;
inline constexpr WORD kStaticClass = 0x0082;
inline constexpr WORD kComboBoxClass = 0x0085;

// Builds an extended dialog template (DLGTEMPLATEEX) in memory, for dialogs
// whose layout or font is chosen at run time. Positions are in dialog units.
class TemplateWriter {
 public:
  // The dialog itself, with `items` controls to follow, and its font.
  void Dialog(DWORD exStyle, DWORD style, WORD items, const UnitRect& rect, const std::wstring& caption) {
    Word(1);       // dlgVer
    Word(0xFFFF);  // signature: DLGTEMPLATEEX
    Dword(0);      // helpID
    Dword(exStyle);
    Dword(style | DS_SETFONT);
    Word(items);
    Rect(rect);
    Word(0);  // no menu
    Word(0);  // the standard dialog class
    Text(caption);
  }
  void Font(int points, const std::wstring& face) {
    Word(static_cast<WORD>(points));
    Word(FW_DONTCARE);
    Word(0);  // not italic, ANSI_CHARSET
    Text(face);
  }
  // One control of a predefined class (`atom`) or of the class `className`.
  void Item(DWORD style, const UnitRect& rect, int id, WORD atom, const wchar_t* className,
            const std::wstring& text) {
    AlignToDword();
    Dword(0);  // helpID
    Dword(0);  // exStyle
    Dword(WS_CHILD | WS_VISIBLE | style);
    Rect(rect);
    Dword(static_cast<DWORD>(id));
    if (atom != 0) {
      Word(0xFFFF);
      Word(atom);
    } else {
      Text(className);
    }
    Text(text);
    Word(0);  // no creation data
  }
  // The template, DWORD-aligned as the dialog functions require.
  std::vector<DWORD> Finish() {
    AlignToDword();
    std::vector<DWORD> words(bytes_.size() / sizeof(DWORD));
    std::memcpy(words.data(), bytes_.data(), bytes_.size());
    return words;
  }

 private:
  void Word(WORD value) { Append(&value, sizeof value); }
  void Dword(DWORD value) { Append(&value, sizeof value); }
  void Text(const std::wstring& text) { Append(text.c_str(), (text.size() + 1) * sizeof(wchar_t)); }
  void Rect(const UnitRect& r) {
    for (const int value : {r.x, r.y, r.w, r.h}) {
      const auto unit = static_cast<short>(value);
      Append(&unit, sizeof unit);
    }
  }
  // Dialog items start on a DWORD boundary.
  void AlignToDword() {
    while (bytes_.size() % sizeof(DWORD) != 0) bytes_.push_back(0);
  }
  void Append(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    bytes_.insert(bytes_.end(), bytes, bytes + size);
  }
  std::vector<unsigned char> bytes_;
};

// The extended dialog template of the program's resource `resourceId` with
// its font face replaced by `face` (as it is when it names no font; empty
// when there is no such template).
std::vector<DWORD> TemplateWithFontFace(int resourceId, const std::wstring& face);

}  // namespace rz::win32
