#include "app/station_ui.h"

namespace rz {

void EnableControls(StationUi& ui, bool enable) {
  ui.SetOperationControlsEnabled(enable);
  const bool cpuAt74 = ui.SelectorIndex(Selector::CpuClock) == kCpuEntry74;
  ui.SetSelectorEnabled(Selector::CpuClock, enable && cpuAt74);
}

void RestoreFocus(StationUi& ui, std::uint8_t n) {
  if (n >= 2) ui.PostNextControlRequests(n);
}

}  // namespace rz
