#include "debug/debug_window_model.h"

#include <cstdint>

#include "app/edit_rule.h"
#include "debug/debug_texts.h"

namespace rz {
namespace {

constexpr int kExitButton = kDebugButtons;
// UP on "Ethernet" moves five tab stops on, to "Выход"; DOWN on "Выход" one, to "Ethernet".
constexpr int kStopsFromFirstToLast = kDebugButtons - 1;
constexpr int kStopsFromLastToFirst = 1;

}  // namespace

void DebugWindowModel::Initialise() {
  state_.focusIndex.store(1);
  state_.targetMode.store(0);
  state_.helpText.store(0);
}

DebugKeyAction DebugWindowModel::OnKey(WindowKey key) {
  DebugKeyAction action;
  if (key == WindowKey::Space) return action;
  action.passOn = true;
  if (InTargetMode()) return action;

  auto& index = state_.focusIndex;
  const int current = index.load();
  switch (key) {
    case WindowKey::Tab:
      if (current == kExitButton) {
        index.store(1);
        action.beep = true;
      } else {
        index.store(static_cast<std::uint8_t>(current + 1));
      }
      return action;
    case WindowKey::BackTab:
      index.store(static_cast<std::uint8_t>(current == 1 ? kExitButton : current - 1));
      return action;
    case WindowKey::Up:
      if (current == 1) {
        index.store(kExitButton);
        action.beep = true;
        action.nextTabStopRequests = kStopsFromFirstToLast;
      } else {
        index.store(static_cast<std::uint8_t>(current - 1));
        action.arrowStep = -1;
      }
      return action;
    case WindowKey::Down:
      if (current == kExitButton) {
        index.store(1);
        action.beep = true;
        action.nextTabStopRequests = kStopsFromLastToFirst;
      } else {
        index.store(static_cast<std::uint8_t>(current + 1));
        action.arrowStep = +1;
      }
      return action;
    case WindowKey::Left:
    case WindowKey::Right:
      action.passOn = false;
      return action;
    default:
      return action;
  }
}

const char* DebugWindowModel::OnFieldFocus(DebugField field, std::string_view operationText) {
  const DebugTarget* target = FindDebugTarget(state_.focusIndex.load());
  if (target == nullptr) return nullptr;
  const std::string_view operation = EditClip(EditRule{kHintOperationChars, false}, operationText);
  switch (field) {
    case DebugField::Operation:
      state_.helpText.store(target->number);
      return OperationList(*target);
    case DebugField::Address:
      state_.helpText.store(0);
      return target->addressHint(operation);
    case DebugField::Data:
      state_.helpText.store(0);
      return target->dataHint(operation);
  }
  return nullptr;
}

std::optional<HelpMessage> DebugWindowModel::OnStatusClick() const {
  const DebugTarget* target = FindDebugTarget(state_.helpText.load());
  if (target == nullptr) return std::nullopt;
  return HelpMessage{debugtext::kHelpCaption, HelpText(*target)};
}

void DebugWindowModel::OnTargetButtonsChanged() { state_.helpText.store(0); }

void DebugWindowModel::OnOk() { flags_.runRequest.store(1); }

void DebugWindowModel::OnCancel() { flags_.RequestAbort(); }

}  // namespace rz
