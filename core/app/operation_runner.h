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

  enum class StartStatus { Started, Busy, NoThread };
  // Starts `work` on a new thread. Busy when an operation is already running;
  // NoThread when the system would not create the thread (the runner stays idle).
  StartStatus Start(std::function<Outcome()> work);
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
