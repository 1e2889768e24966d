#include "station_keys.h"

#include <QGuiApplication>
#include <QKeyEvent>

namespace rz::gui {
namespace {

// X11 key codes (evdev + 8) of the physical C, F and S keys, for layouts whose
// letters on those keys are neither Latin nor Russian.
constexpr quint32 kXcbKeyC = 54;
constexpr quint32 kXcbKeyF = 41;
constexpr quint32 kXcbKeyS = 39;

StationKey FromPhysicalKey(const QKeyEvent& event) {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) return StationKey::Other;
  switch (event.nativeScanCode()) {
    case kXcbKeyC: return StationKey::C;
    case kXcbKeyF: return StationKey::F;
    case kXcbKeyS: return StationKey::S;
    default: return StationKey::Other;
  }
}

}  // namespace

StationKey ClassifyKey(const QKeyEvent& event) {
  switch (event.key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return StationKey::Tab;
    case Qt::Key_Space: return StationKey::Space;
    case Qt::Key_Left: return StationKey::Left;
    case Qt::Key_Up: return StationKey::Up;
    case Qt::Key_Right: return StationKey::Right;
    case Qt::Key_Down: return StationKey::Down;
    case Qt::Key_C: return StationKey::C;
    case Qt::Key_F: return StationKey::F;
    case Qt::Key_S: return StationKey::S;
    // The Russian layout puts С, А and Ы on the C, F and S keys.
    case 0x0421:
    case 0x0441: return StationKey::C;
    case 0x0410:
    case 0x0430: return StationKey::F;
    case 0x042B:
    case 0x044B: return StationKey::S;
    default: return FromPhysicalKey(event);
  }
}

}  // namespace rz::gui
