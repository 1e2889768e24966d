#pragma once

#include <cstdint>

#include "app/outcome.h"

namespace rz {

class Station;

// The operation buttons of the main window, numbered by their focus index.
enum class Button : std::uint8_t {
  Download = 1,
  Configuration = 2,
  ServiceCom = 3,
  Sdram = 4,
  Flash = 5,
  Ethernet = 6,
  Rtc = 7,
  ExternalCom = 8,
  Debug = 9,
  FileToFlash = 10,
  FlashToFile = 11,
  Exit = 12,
};
inline constexpr int kButtonCount = 12;

// What became of a start request.
enum class StartResult {
  Started,       // the worker runs
  Refused,       // refused with a message box (Ethernet switch, Flash mode)
  Busy,          // another operation runs: refused, nothing changed
  NotAvailable,  // this station has no such operation (yet)
};

// The worker of an operation.
using OperationFn = Outcome (*)(Station&);

// The handler of an operation button (all but "Выход"), following the button's
// row of the operation table: sets the focus index, clears the abort flag,
// refuses serial-only operations while the Ethernet switch is on, moves the
// focus to the journal and starts the worker.
StartResult PressButton(Station& station, Button button);

// Handlers of a selection change of the port and CPU clock selectors: beep,
// clear the abort flag, move the focus to the journal, start the worker.
StartResult OnPortSelectorChanged(Station& station);
StartResult OnCpuSelectorChanged(Station& station);

}  // namespace rz
