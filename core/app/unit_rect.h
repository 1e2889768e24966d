#pragma once

namespace rz {

// A rectangle of a window's layout in dialog units: a horizontal unit is a
// quarter of the dialog font's average character width, a vertical unit an
// eighth of its height.
struct UnitRect {
  int x, y, w, h;
};

}  // namespace rz
