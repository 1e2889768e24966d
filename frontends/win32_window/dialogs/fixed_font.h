#pragma once

#include <string>

namespace rz::win32 {

// Point size of the windows' fixed-width font.
inline constexpr int kFixedFontPoints = 9;

// The face of the windows' fixed-width font: "Lucida Console" where it is
// installed, otherwise an installed fixed-width face of similar metrics with
// Cyrillic letters (Consolas, Courier New, DejaVu Sans Mono, ...). A dialog
// whose font face is missing would get a proportional font from the font
// mapper, in which the layout's captions no longer fit.
const std::wstring& FixedFontFace();

}  // namespace rz::win32
