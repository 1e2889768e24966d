#pragma once

#include "app/controls.h"

namespace rz {

class Station;

// The handler of an operation button (all but "Выход"), following the button's
// row of the operation table: sets the focus index, clears the abort flag,
// refuses serial-only operations while the Ethernet switch is on, moves the
// focus to the journal and starts the worker.
StartResult PressButton(Station& station, Button button);

// Handlers of a selection change of the port and CPU clock selectors: beep,
// clear the abort flag, move the focus to the journal, start the worker.
StartResult OnPortSelectorChanged(Station& station);
StartResult OnCpuSelectorChanged(Station& station);

// The handler of the Ethernet switch's click in the window (after the check
// box changed its state).
StartResult OnEthernetSwitchClicked(Station& station);

}  // namespace rz
