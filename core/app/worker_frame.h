#pragma once

#include "app/station_flags.h"
#include "app/station_ui.h"

namespace rz {

// The steps that open and close every operation's worker. A WorkerFrame is a
// scope: constructing it disables the controls (and shows the abort hint), and
// leaving the scope by any path enables them again, gives the focus back to the
// button that started the operation, restores the idle hint and clears the abort
// flag, as the steps say. Some operations leave out steps: the port reselection
// keeps the status line and the abort flag, the CPU clock switch keeps the abort
// flag, the Ethernet switching keeps the status line.
struct FrameSteps {
  bool showAbortHint = true;    // "<ESC>-прервать операцию" at the start
  bool restoreIdleHint = true;  // "<TAB>-выбор операции  <ENTER>-выполнить" at the end
  bool clearAbort = true;       // abort flag := 0 at the end
};

class WorkerFrame {
 public:
  WorkerFrame(StationUi& ui, StationFlags& flags, FrameSteps steps = {});
  ~WorkerFrame();
  WorkerFrame(const WorkerFrame&) = delete;
  WorkerFrame& operator=(const WorkerFrame&) = delete;

 private:
  StationUi& ui_;
  StationFlags& flags_;
  FrameSteps steps_;
};

}  // namespace rz
