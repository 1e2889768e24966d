#include "app/worker_frame.h"

#include "app/texts.h"

namespace rz {

WorkerFrame::WorkerFrame(StationUi& ui, StationFlags& flags, FrameSteps steps)
    : ui_(ui), flags_(flags), steps_(steps) {
  EnableControls(ui_, false);
  if (steps_.showAbortHint) ui_.SetStatusText(text::kStatusBusy);
}

WorkerFrame::~WorkerFrame() {
  EnableControls(ui_, true);
  RestoreFocus(ui_, flags_.focusIndex.load());
  if (steps_.restoreIdleHint) ui_.SetStatusText(text::kStatusIdle);
  if (steps_.clearAbort) flags_.ClearAbort();
}

}  // namespace rz
