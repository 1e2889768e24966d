#pragma once

namespace rz {

class Station;

// The first and last steps that every operation's worker shares.

// Disables the controls and, when `showAbortHint`, shows "<ESC>-прервать операцию".
void BeginOperation(Station& station, bool showAbortHint = true);

struct OperationEnd {
  bool restoreIdleHint = true;  // put "<TAB>-выбор операции  <ENTER>-выполнить" back
  bool clearAbort = true;       // abort flag := 0
};

// Enables the controls, gives the focus back to the button that started the
// operation, restores the idle hint and clears the abort flag, as asked.
void EndOperation(Station& station, OperationEnd end = {});

}  // namespace rz
