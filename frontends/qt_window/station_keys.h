#pragma once

class QKeyEvent;

namespace rz::gui {

// The keys the main window's key filter acts on. They are recognised by the key
// alone: Shift, Ctrl and the keyboard layout are not looked at, so Shift+TAB
// counts as TAB and the Cyrillic letters on the C, F and S keys count as C, F
// and S.
enum class StationKey { Other, Tab, Space, Left, Up, Right, Down, C, F, S };

StationKey ClassifyKey(const QKeyEvent& event);

}  // namespace rz::gui
