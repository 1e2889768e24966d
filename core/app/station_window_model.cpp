#include "app/station_window_model.h"

#include <cstdint>

#include "app/controls.h"
#include "app/texts.h"

namespace rz {
namespace {

// UP on the first button: one next-control request less than there are
// buttons reaches the last one.
constexpr int kRequestsFromFirstToLast = kButtonCount - 1;
constexpr int kRequestsFromLastToFirst = 1;

// External COM test phases.
constexpr std::uint8_t kPhaseRunning = 1;
constexpr std::uint8_t kPhasePaused = 2;

}  // namespace

void StationWindowModel::Initialise() { flags_.focusIndex.store(1); }

StationKeyAction StationWindowModel::OnKey(WindowKey key) {
  StationKeyAction action;
  auto& focusIndex = flags_.focusIndex;
  switch (key) {
    case WindowKey::Tab:
    case WindowKey::BackTab:
    case WindowKey::Down:
      action.passOn = true;
      if (key == WindowKey::Down) action.arrowStep = +1;
      if (focusIndex.load() == kButtonCount) {
        focusIndex.store(1);
        action.beep = true;
        if (key == WindowKey::Down) action.nextControlRequests = kRequestsFromLastToFirst;
      } else {
        focusIndex.store(static_cast<std::uint8_t>(focusIndex.load() + 1));
      }
      return action;
    case WindowKey::Up:
      action.passOn = true;
      action.arrowStep = -1;
      if (focusIndex.load() == 1) {
        focusIndex.store(kButtonCount);
        action.beep = true;
        action.nextControlRequests = kRequestsFromFirstToLast;
      } else {
        focusIndex.store(static_cast<std::uint8_t>(focusIndex.load() - 1));
      }
      return action;
    case WindowKey::Left:
    case WindowKey::Right:
      return action;
    case WindowKey::Space:
      if (flags_.extComPhase.load() == kPhaseRunning) {
        flags_.paramsRequest.store(1);
        action.restartParamsTimer = true;
        action.passOn = true;
      }
      return action;
    case WindowKey::C:
    case WindowKey::F:
    case WindowKey::S:
      ToggleOption(key == WindowKey::C   ? flags_.serviceComVariant
                   : key == WindowKey::F ? flags_.flashServiceMode
                                         : flags_.soundOption);
      action.beep = true;
      (key == WindowKey::S ? action.updateSoundLabel : action.updateModeCaptions) = true;
      return action;
    case WindowKey::Enter:
    case WindowKey::Escape:
    case WindowKey::Other:
      action.passOn = true;
      return action;
  }
  action.passOn = true;
  return action;
}

StationTimerAction StationWindowModel::OnTimer() {
  StationTimerAction action;
  action.runParamsDialog = flags_.extComPhase.load() == kPhasePaused;
  return action;
}

void StationWindowModel::OnParamsDialogClosed() { flags_.paramsRequest.store(0); }

void StationWindowModel::OnButtonFocused(int focusIndex) {
  if (focusIndex >= 1 && focusIndex <= kButtonCount) flags_.focusIndex.store(static_cast<std::uint8_t>(focusIndex));
}

void StationWindowModel::OnOk() { flags_.runRequest.store(1); }

void StationWindowModel::OnCancel() { flags_.RequestAbort(); }

int StationWindowModel::NextControlTarget(int from, const ButtonEnabled& enabled) {
  if (from < 0 || from > kButtonCount) from = 0;
  for (int step = 1; step <= kButtonCount; ++step) {
    const int candidate = (from + step - 1) % kButtonCount + 1;
    if (enabled(candidate)) return candidate;
  }
  return 0;
}

int StationWindowModel::ArrowTarget(int from, int step, const ButtonEnabled& enabled) {
  if (from < 1 || from > kButtonCount || step == 0) return 0;
  for (int i = from + step; i >= 1 && i <= kButtonCount; i += step) {
    if (enabled(i)) return i;
  }
  return 0;
}

bool StationWindowModel::ParkFocus(int focusedButton) {
  if (focusedButton < 1 || focusedButton > kButtonCount) return false;
  parkedFrom_ = focusedButton;
  return true;
}

int StationWindowModel::UnparkFocus(bool stillParked) {
  const int target = stillParked ? parkedFrom_ : 0;
  parkedFrom_ = 0;
  return target;
}

ModeCaptions StationWindowModel::Captions() const {
  const bool flashService = flags_.flashServiceMode.load() == 1;
  return {flags_.serviceComVariant.load() == 1 ? text::kServiceComV7 : text::kServiceComV5,
          flashService ? text::kFlashTestOn : text::kFlashTestOff,
          flashService ? text::kFileToFlashAny : text::kFileToFlashRzi};
}

const char* StationWindowModel::SoundLabel() const {
  return flags_.soundOption.load() == 1 ? text::kSoundLabel : text::kSoundLabelOff;
}

}  // namespace rz
