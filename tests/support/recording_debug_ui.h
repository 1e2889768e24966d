#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "app/journal_lines.h"
#include "debug/debug_ui.h"

namespace rz::testing {

// A DebugUi that records the debug journal and the window calls, with fields
// a test fills in. `onOperationFocus` runs at every operation-field focus
// request (the target thread waits for input then), with its count from 1.
class RecordingDebugUi final : public DebugUi {
 public:
  void AddDebugLine(int mode, const std::string& text) override {
    std::lock_guard lock(mutex_);
    if (mode <= 0) journal.Add(mode, text);
  }
  void SetDebugStatus(const std::string& text) override {
    std::lock_guard lock(mutex_);
    status = text;
  }
  void RestoreDebugFocus(std::uint8_t count) override {
    std::lock_guard lock(mutex_);
    restoredFocus.push_back(count);
  }
  void EnableTargetButtons(bool enable) override {
    std::lock_guard lock(mutex_);
    buttonsEnabled = enable;
  }
  void EnableFields(bool o, bool a, bool d) override {
    std::lock_guard lock(mutex_);
    fieldsEnabled = o && a && d;
  }
  void ClearFields(bool o, bool a, bool d) override {
    std::lock_guard lock(mutex_);
    if (o) fields[0].clear();
    if (a) fields[1].clear();
    if (d) fields[2].clear();
  }
  void RequestOperationFocus() override {
    int count = 0;
    std::function<void(int)> hook;
    {
      std::lock_guard lock(mutex_);
      count = ++operationFocus;
      hook = onOperationFocus;
    }
    if (hook) hook(count);
  }
  void RequestJournalFocus() override {
    std::lock_guard lock(mutex_);
    ++journalFocus;
  }
  void SetFieldLimits(const FieldLimits& l) override {
    std::lock_guard lock(mutex_);
    limits = l;
  }
  std::string ReadField(DebugField field, int limit) override {
    std::lock_guard lock(mutex_);
    const std::string& text = fields[static_cast<std::size_t>(field)];
    return text.substr(0, static_cast<std::size_t>(limit));
  }
  void SetFields(const std::string& o, const std::string& a, const std::string& d) {
    std::lock_guard lock(mutex_);
    fields[0] = o;
    fields[1] = a;
    fields[2] = d;
  }
  std::vector<std::string> Lines() {
    std::lock_guard lock(mutex_);
    return journal.Lines();
  }

  JournalLines journal;
  std::string status;
  std::vector<int> restoredFocus;
  bool buttonsEnabled = true;
  bool fieldsEnabled = false;
  int operationFocus = 0;
  int journalFocus = 0;
  FieldLimits limits;
  std::string fields[3];
  std::function<void(int)> onOperationFocus;

 private:
  std::mutex mutex_;
};

}  // namespace rz::testing
