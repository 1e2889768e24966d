#include "app/worker_frame.h"

#include "app/station.h"
#include "app/texts.h"

namespace rz {

WorkerFrame::WorkerFrame(Station& station, FrameSteps steps) : station_(station), steps_(steps) {
  EnableControls(station_.Ui(), false);
  if (steps_.showAbortHint) station_.Ui().SetStatusText(text::kStatusBusy);
}

WorkerFrame::~WorkerFrame() {
  EnableControls(station_.Ui(), true);
  RestoreFocus(station_.Ui(), station_.flags.focusIndex.load());
  if (steps_.restoreIdleHint) station_.Ui().SetStatusText(text::kStatusIdle);
  if (steps_.clearAbort) station_.flags.ClearAbort();
}

}  // namespace rz
