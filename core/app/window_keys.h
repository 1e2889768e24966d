#pragma once

#include <cstdint>

namespace rz {

// The keys that the station's window models act on. A front end maps its
// toolkit's key events to these; every key the models do not look at is
// Other. The letters are recognised by the key alone, whatever the keyboard
// layout puts on it (the Cyrillic С, А, Ы and М count as C, F, S and V).
enum class WindowKey { Other, Tab, BackTab, Space, Enter, Escape, Left, Up, Right, Down, C, F, S, V };

// Maps a Windows virtual-key code (VK_TAB 0x09, VK_RETURN 0x0D, VK_ESCAPE
// 0x1B, VK_SPACE 0x20, the arrows 0x25..0x28, the letters 0x43, 0x46, 0x53,
// 0x56)
// to a WindowKey. TAB with Shift held is BackTab; Shift and Ctrl change
// nothing else.
WindowKey WindowKeyFromVirtualKey(std::uint32_t virtualKey, bool shift);

}  // namespace rz
