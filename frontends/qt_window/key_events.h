#pragma once

#include "app/window_keys.h"

class QKeyEvent;

namespace rz::gui {

// The window models' key for a Qt key event. Keys are recognised by the key
// alone: Shift (apart from Shift+TAB, which Qt reports as its own key), Ctrl
// and the keyboard layout are not looked at, so the Cyrillic letters on the
// C, F and S keys count as C, F and S.
rz::WindowKey ClassifyKey(const QKeyEvent& event);

}  // namespace rz::gui
