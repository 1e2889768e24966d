#include "key_events.h"

#include <QGuiApplication>
#include <QKeyEvent>

namespace rz::gui {
namespace {

// X11 key codes (evdev + 8) of the physical C, F, S and V keys, for layouts whose
// letters on those keys are neither Latin nor Russian.
constexpr quint32 kXcbKeyC = 54;
constexpr quint32 kXcbKeyF = 41;
constexpr quint32 kXcbKeyS = 39;
constexpr quint32 kXcbKeyV = 55;

rz::WindowKey FromPhysicalKey(const QKeyEvent& event) {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) return rz::WindowKey::Other;
  switch (event.nativeScanCode()) {
    case kXcbKeyC: return rz::WindowKey::C;
    case kXcbKeyF: return rz::WindowKey::F;
    case kXcbKeyS: return rz::WindowKey::S;
    case kXcbKeyV: return rz::WindowKey::V;
    default: return rz::WindowKey::Other;
  }
}

}  // namespace

rz::WindowKey ClassifyKey(const QKeyEvent& event) {
  switch (event.key()) {
    case Qt::Key_Tab: return rz::WindowKey::Tab;
    case Qt::Key_Backtab: return rz::WindowKey::BackTab;
    case Qt::Key_Return:
    case Qt::Key_Enter: return rz::WindowKey::Enter;
    case Qt::Key_Escape: return rz::WindowKey::Escape;
    case Qt::Key_Space: return rz::WindowKey::Space;
    case Qt::Key_Left: return rz::WindowKey::Left;
    case Qt::Key_Up: return rz::WindowKey::Up;
    case Qt::Key_Right: return rz::WindowKey::Right;
    case Qt::Key_Down: return rz::WindowKey::Down;
    case Qt::Key_C: return rz::WindowKey::C;
    case Qt::Key_F: return rz::WindowKey::F;
    case Qt::Key_S: return rz::WindowKey::S;
    case Qt::Key_V: return rz::WindowKey::V;
    // The Russian layout puts С, А, Ы and М on the C, F, S and V keys.
    case 0x0421:
    case 0x0441: return rz::WindowKey::C;
    case 0x0410:
    case 0x0430: return rz::WindowKey::F;
    case 0x042B:
    case 0x044B: return rz::WindowKey::S;
    case 0x041C:
    case 0x043C: return rz::WindowKey::V;
    default: return FromPhysicalKey(event);
  }
}

}  // namespace rz::gui
