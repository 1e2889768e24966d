#include "app/worker_frame.h"

#include "app/station.h"
#include "app/texts.h"

namespace rz {

void BeginOperation(Station& station, bool showAbortHint) {
  EnableControls(station.Ui(), false);
  if (showAbortHint) station.Ui().SetStatusText(text::kStatusBusy);
}

void EndOperation(Station& station, OperationEnd end) {
  EnableControls(station.Ui(), true);
  RestoreFocus(station.Ui(), station.flags.focusIndex.load());
  if (end.restoreIdleHint) station.Ui().SetStatusText(text::kStatusIdle);
  if (end.clearAbort) station.flags.ClearAbort();
}

}  // namespace rz
