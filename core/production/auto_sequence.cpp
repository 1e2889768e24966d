#include "production/auto_sequence.h"

#include <chrono>

#include "operations/operation_table.h"
#include "operations/station.h"

namespace rz {
namespace {

constexpr std::chrono::milliseconds kStopPoll{20};

}  // namespace

AutoSequence::AutoSequence(Station& station, const Profile& profile, OperationObserver* next)
    : station_(station), sequence_(station, profile), firstStep_(profile.StepsAfterDownload()), next_(next) {}

AutoSequence::~AutoSequence() { Stop({}); }

void AutoSequence::OperationStarted(const OperationRow& row) {
  if (next_ != nullptr) next_->OperationStarted(row);
}

void AutoSequence::OperationEnded(const OperationRow& row, std::optional<Outcome> outcome) {
  if (next_ != nullptr) next_->OperationEnded(row, outcome);
  const bool download = row.cliWord != nullptr && std::string(row.cliWord) == "download";
  // Only the operator's download starts a sequence, never one of the sequence's own.
  if (!download || outcome != Outcome::Success || stopped_.load() ||
      station_.sequenceThread.load() == std::this_thread::get_id() || running_.load()) {
    return;
  }
  const std::lock_guard<std::mutex> lock(mutex_);
  if (thread_.joinable()) thread_.join();
  running_.store(true);
  // Called on the download's worker before the runner is idle: the window's
  // controls can start nothing from here until the sequence has ended.
  station_.sequenceActive.store(true);
  thread_ = std::thread([this] { RunAfterDownload(); });
}

void AutoSequence::RunAfterDownload() {
  station_.sequenceThread.store(std::this_thread::get_id());
  station_.runner.Wait();
  if (!stopped_.load()) sequence_.Run(firstStep_, true, {});
  station_.sequenceThread.store(std::thread::id());
  station_.sequenceActive.store(false);
  running_.store(false);
}

void AutoSequence::Stop(const std::function<void()>& serve) {
  stopped_.store(true);
  while (running_.load()) {
    station_.flags.RequestAbort();
    if (serve) serve();
    std::this_thread::sleep_for(kStopPoll);
  }
  const std::lock_guard<std::mutex> lock(mutex_);
  if (thread_.joinable()) thread_.join();
}

}  // namespace rz
