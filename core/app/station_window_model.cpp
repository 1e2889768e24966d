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

StationKeyAction StationWindowModel::OnKey(WindowKey key, int focusedButton) {
  StationKeyAction action;
  auto& focusIndex = flags_.focusIndex;
  OnButtonFocused(focusedButton);
  // One step of the ring; past either end it wraps to the other with a beep,
  // and `requests` next-control requests carry the focus there.
  const auto step = [&](int by, int requests) {
    action.passOn = true;
    const int next = focusIndex.load() + by;
    if (next < 1 || next > kButtonCount) {
      focusIndex.store(static_cast<std::uint8_t>(next < 1 ? kButtonCount : 1));
      action.beep = true;
      action.nextControlRequests = requests;
    } else {
      focusIndex.store(static_cast<std::uint8_t>(next));
    }
  };
  switch (key) {
    case WindowKey::Tab:
      step(+1, 0);
      return action;
    case WindowKey::BackTab:
      step(-1, 0);
      return action;
    case WindowKey::Down:
      action.arrowStep = +1;
      step(+1, kRequestsFromLastToFirst);
      return action;
    case WindowKey::Up:
      action.arrowStep = -1;
      step(-1, kRequestsFromFirstToLast);
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
    case WindowKey::V:
      ToggleOption(key == WindowKey::C   ? flags_.serviceComVariant
                   : key == WindowKey::F ? flags_.flashServiceMode
                   : key == WindowKey::S ? flags_.soundOption
                                         : flags_.verifyWrites);
      action.beep = true;
      (key == WindowKey::S || key == WindowKey::V ? action.updateLabels : action.updateModeCaptions) = true;
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

int StationWindowModel::NextControlTarget(int from, const ButtonEnabled& enabled, int step) {
  if (from < 0 || from > kButtonCount) from = 0;
  // From no button, forwards starts at the first, backwards at the last.
  if (from == 0 && step < 0) from = kButtonCount + 1;
  const int by = step < 0 ? kButtonCount - 1 : 1;
  for (int i = 1; i <= kButtonCount; ++i) {
    const int candidate = (from - 1 + i * by) % kButtonCount + 1;
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

int StationWindowModel::FocusAfterEnabling(int focusedButton) const {
  if (focusedButton != 0) return 0;
  return flags_.focusIndex.load() == 1 ? 1 : 0;
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

const char* StationWindowModel::VerifyLabel() const {
  return flags_.verifyWrites.load() == 1 ? text::kVerifyLabel : text::kVerifyLabelOff;
}

}  // namespace rz
