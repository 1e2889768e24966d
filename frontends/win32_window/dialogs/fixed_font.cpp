#include "fixed_font.h"

#include <windows.h>

#include <array>

namespace rz::win32 {
namespace {

constexpr std::array<const wchar_t*, 6> kFaces = {L"Lucida Console",   L"Consolas",        L"Courier New",
                                                   L"DejaVu Sans Mono", L"Liberation Mono", L"Noto Mono"};

struct Search {
  std::wstring found;
};

int CALLBACK OnFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD type, LPARAM data) {
  auto* search = reinterpret_cast<Search*>(data);
  // A vertical face ("@...") and a raster font do not scale to the layout.
  if (font->lfFaceName[0] == L'@' || (type & RASTER_FONTTYPE) != 0) return 1;
  if ((font->lfPitchAndFamily & 0x3) != FIXED_PITCH) return 1;
  search->found = font->lfFaceName;
  return 0;
}

// The face if it is installed with Cyrillic letters and fixed width (nullptr:
// the first such face); "" when there is none.
std::wstring Installed(const wchar_t* face) {
  Search search;
  LOGFONTW wanted{};
  wanted.lfCharSet = RUSSIAN_CHARSET;
  if (face != nullptr) lstrcpynW(wanted.lfFaceName, face, LF_FACESIZE);
  const HDC screen = GetDC(nullptr);
  EnumFontFamiliesExW(screen, &wanted, OnFace, reinterpret_cast<LPARAM>(&search), 0);
  ReleaseDC(nullptr, screen);
  return search.found;
}

std::wstring ChooseFace() {
  for (const wchar_t* face : kFaces) {
    if (!Installed(face).empty()) return face;
  }
  const std::wstring any = Installed(nullptr);
  return any.empty() ? std::wstring(kFaces[0]) : any;
}

}  // namespace

const std::wstring& FixedFontFace() {
  static const std::wstring face = ChooseFace();
  return face;
}

}  // namespace rz::win32
