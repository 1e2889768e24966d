#include "cli_debug_ui.h"

namespace rz::cli {

namespace {
std::size_t Index(DebugField field) { return static_cast<std::size_t>(field); }
}  // namespace

void CliDebugUi::AddDebugLine(int mode, const std::string& text) {
  // Only negative modes replace lines in the debug journal.
  if (mode > 0) return;
  journal_.AddJournalLine(mode, text);
}

void CliDebugUi::ClearFields(bool operation, bool address, bool data) {
  std::lock_guard lock(mutex_);
  if (operation) fields_[0].clear();
  if (address) fields_[1].clear();
  if (data) fields_[2].clear();
}

void CliDebugUi::RequestOperationFocus() {
  {
    std::lock_guard lock(mutex_);
    focusRequested_ = true;
  }
  focus_.notify_all();
}

void CliDebugUi::SetFieldLimits(const FieldLimits& limits) {
  std::lock_guard lock(mutex_);
  limits_ = limits;
}

FieldLimits CliDebugUi::Limits() {
  std::lock_guard lock(mutex_);
  return limits_;
}

std::string CliDebugUi::ReadField(DebugField field, int limit) {
  std::lock_guard lock(mutex_);
  return fields_[Index(field)].substr(0, limit < 0 ? 0 : static_cast<std::size_t>(limit));
}

void CliDebugUi::SetField(DebugField field, const std::string& text) {
  std::lock_guard lock(mutex_);
  fields_[Index(field)] = text;
}

}  // namespace rz::cli
