#include "app/window_keys.h"

namespace rz {

WindowKey WindowKeyFromVirtualKey(std::uint32_t virtualKey, bool shift) {
  switch (virtualKey) {
    case 0x09: return shift ? WindowKey::BackTab : WindowKey::Tab;
    case 0x0D: return WindowKey::Enter;
    case 0x1B: return WindowKey::Escape;
    case 0x20: return WindowKey::Space;
    case 0x25: return WindowKey::Left;
    case 0x26: return WindowKey::Up;
    case 0x27: return WindowKey::Right;
    case 0x28: return WindowKey::Down;
    case 0x43: return WindowKey::C;
    case 0x46: return WindowKey::F;
    case 0x53: return WindowKey::S;
    case 0x56: return WindowKey::V;
    default: return WindowKey::Other;
  }
}

}  // namespace rz
