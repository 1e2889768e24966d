#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

#include "operations/operation_observer.h"
#include "production/board_sequence.h"

namespace rz {

class Station;

// The windows' production mode: every successful download the operator
// starts runs the rest of the profile's sequence by itself, on a thread of
// its own (which stands in for the operator at the controls, while the
// window's own controls start nothing). Observes the operations in front of
// the station's other observer, which hears of them first.
class AutoSequence final : public OperationObserver {
 public:
  AutoSequence(Station& station, const Profile& profile, OperationObserver* next);
  AutoSequence(const AutoSequence&) = delete;
  AutoSequence& operator=(const AutoSequence&) = delete;
  ~AutoSequence() override;

  void OperationStarted(const OperationRow& row) override;
  void OperationEnded(const OperationRow& row, std::optional<Outcome> outcome) override;

  // Stops a running sequence as ESC stops it and waits for its end, calling
  // `serve` between looks so that the window can apply the sequence's calls.
  void Stop(const std::function<void()>& serve);

 private:
  void RunAfterDownload();

  Station& station_;
  BoardSequence sequence_;
  std::size_t firstStep_;
  OperationObserver* next_;
  std::mutex mutex_;
  std::thread thread_;
  std::atomic<bool> running_{false};
  std::atomic<bool> stopped_{false};
};

}  // namespace rz
