#pragma once

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>

#include "cli_ui.h"
#include "debug/debug_ui.h"

namespace rz::cli {

// The debug console's window operations for a terminal. Its journal is drawn
// like the station's (live on a terminal, final lines otherwise) but kept
// apart from it, so that it never reaches the results log. The fields hold
// what the operator typed at the prompts; a focus request for the operation
// field tells the prompting side that the target thread waits for input.
class CliDebugUi final : public DebugUi {
 public:
  CliDebugUi(std::FILE* out, std::FILE* err, bool live) : journal_(out, err, live) {}

  void AddDebugLine(int mode, const std::string& text) override;
  void SetDebugStatus(const std::string&) override {}
  void RestoreDebugFocus(std::uint8_t) override {}
  void EnableTargetButtons(bool) override {}
  void EnableFields(bool, bool, bool) override {}
  void ClearFields(bool operation, bool address, bool data) override;
  void RequestOperationFocus() override;
  void RequestJournalFocus() override {}
  void SetFieldLimits(const FieldLimits& limits) override;
  std::string ReadField(DebugField field, int limit) override;

  // Prompting side.
  void SetField(DebugField field, const std::string& text);
  FieldLimits Limits();
  // Waits until the target thread asks for the operation field or `stop()`
  // becomes true (checked every 100 ms); true for a focus request.
  template <typename Stop>
  bool WaitForOperationFocus(Stop stop);
  // Prints the journal lines not yet printed (and ends the live region).
  void Flush() { journal_.FlushJournal(); }

 private:
  CliUi journal_;
  std::mutex mutex_;
  std::condition_variable focus_;
  bool focusRequested_ = false;
  FieldLimits limits_;
  std::string fields_[3];
};

template <typename Stop>
bool CliDebugUi::WaitForOperationFocus(Stop stop) {
  std::unique_lock lock(mutex_);
  while (!focusRequested_) {
    if (stop()) return false;
    focus_.wait_for(lock, std::chrono::milliseconds(100));
  }
  focusRequested_ = false;
  return true;
}

}  // namespace rz::cli
