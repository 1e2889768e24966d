#include "app/operation_runner.h"

#include <system_error>

namespace rz {

OperationRunner::~OperationRunner() {
  Wait();
  if (worker_.joinable()) worker_.join();
}

OperationRunner::StartStatus OperationRunner::Start(std::function<Outcome()> work) {
  std::unique_lock lock(mutex_);
  if (busy_) return StartStatus::Busy;
  // The previous worker has already said it is done; joining only reaps it.
  if (worker_.joinable()) worker_.join();
  try {
    worker_ = std::thread([this, work = std::move(work)] {
      const Outcome outcome = work();
      std::lock_guard done(mutex_);
      last_ = outcome;
      busy_ = false;
      finished_.notify_all();
    });
  } catch (const std::system_error&) {
    return StartStatus::NoThread;
  }
  busy_ = true;
  return StartStatus::Started;
}

bool OperationRunner::Busy() const {
  std::lock_guard lock(mutex_);
  return busy_;
}

std::optional<Outcome> OperationRunner::Wait() {
  std::unique_lock lock(mutex_);
  finished_.wait(lock, [this] { return !busy_; });
  return last_;
}

bool OperationRunner::WaitFor(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return finished_.wait_for(lock, timeout, [this] { return !busy_; });
}

}  // namespace rz
