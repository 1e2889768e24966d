#include "app/operation_runner.h"

namespace rz {

OperationRunner::~OperationRunner() {
  Wait();
  if (worker_.joinable()) worker_.join();
}

bool OperationRunner::Start(std::function<Outcome()> work) {
  std::unique_lock lock(mutex_);
  if (busy_) return false;
  busy_ = true;
  // The previous worker has already said it is done; joining only reaps it.
  if (worker_.joinable()) worker_.join();
  worker_ = std::thread([this, work = std::move(work)] {
    const Outcome outcome = work();
    std::lock_guard done(mutex_);
    last_ = outcome;
    busy_ = false;
    finished_.notify_all();
  });
  return true;
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
