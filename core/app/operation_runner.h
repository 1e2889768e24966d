#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "app/outcome.h"

namespace rz {

// Runs one operation at a time on its own worker thread. A start request while
// an operation runs is refused, not queued.
class OperationRunner {
 public:
  OperationRunner() = default;
  OperationRunner(const OperationRunner&) = delete;
  OperationRunner& operator=(const OperationRunner&) = delete;
  ~OperationRunner();

  // Starts `work` on a new thread; false when an operation is already running.
  bool Start(std::function<Outcome()> work);
  bool Busy() const;
  // Waits until no operation runs; returns the outcome of the last one, if any.
  std::optional<Outcome> Wait();
  // Like Wait(), but gives up after `timeout`; false when still running.
  bool WaitFor(std::chrono::milliseconds timeout);

 private:
  mutable std::mutex mutex_;
  std::condition_variable finished_;
  bool busy_ = false;
  std::optional<Outcome> last_;
  std::thread worker_;
};

}  // namespace rz
