#pragma once

#include <cstdint>

#include "app/outcome.h"

namespace rz {

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

}  // namespace rz
