#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

#include "app/unit_rect.h"

namespace rz::gui {

// Converts dialog-template units to pixels for a dialog font: a horizontal unit
// is a quarter of the font's average character width, a vertical unit an eighth
// of its height (the average width taken over the 52 Latin letters, as dialog
// templates define it).
class DialogUnits {
 public:
  explicit DialogUnits(const QFont& font);
  DialogUnits(int baseWidth, int baseHeight) : baseWidth_(baseWidth), baseHeight_(baseHeight) {}

  int X(int units) const { return Scale(units, baseWidth_, 4); }
  int Y(int units) const { return Scale(units, baseHeight_, 8); }
  QRect Rect(int x, int y, int width, int height) const {
    return QRect(X(x), Y(y), X(width), Y(height));
  }
  QRect Rect(const rz::UnitRect& r) const { return Rect(r.x, r.y, r.w, r.h); }
  QSize Size(int width, int height) const { return QSize(X(width), Y(height)); }

  int BaseWidth() const { return baseWidth_; }
  int BaseHeight() const { return baseHeight_; }

 private:
  // units * base / divisor, rounded to the nearest pixel.
  static int Scale(int units, int base, int divisor) {
    return (units * base + divisor / 2) / divisor;
  }

  int baseWidth_;
  int baseHeight_;
};

}  // namespace rz::gui
