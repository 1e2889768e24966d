#include "production/board_sequence.h"

#include <chrono>
#include <mutex>
#include <vector>

#include "app/result_sink.h"
#include "app/sound.h"
#include "operations/operation_table.h"
#include "operations/station.h"
#include "production/verdict.h"

namespace rz {
namespace {

constexpr std::chrono::milliseconds kPoll{50};

// Keeps the measurements of one board's sequence and hands everything on to
// the station's own sink (a run record), if there is one.
class CollectingSink final : public ResultSink {
 public:
  explicit CollectingSink(ResultSink* next) : next_(next) {}
  void BoardIdentified(const BoardIdentity& identity) override {
    if (next_ != nullptr) next_->BoardIdentified(identity);
  }
  void FlashChecked(const FlashCheck& check) override {
    if (next_ != nullptr) next_->FlashChecked(check);
  }
  void Measured(const Measurement& measurement) override {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      measurements_.push_back(measurement);
    }
    if (next_ != nullptr) next_->Measured(measurement);
  }
  void SerialNumberGiven(const std::string& serial) override {
    if (next_ != nullptr) next_->SerialNumberGiven(serial);
  }
  void UnitJudged(const UnitVerdict& verdict) override {
    if (next_ != nullptr) next_->UnitJudged(verdict);
  }
  std::vector<Measurement> Measurements() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return measurements_;
  }

 private:
  ResultSink* next_;
  mutable std::mutex mutex_;
  std::vector<Measurement> measurements_;
};

// Puts the collector in the sink's place for the sequence's length.
class SinkSwap {
 public:
  SinkSwap(Station& station, ResultSink* replacement) : station_(station), saved_(station.results) {
    station_.results = replacement;
  }
  ~SinkSwap() { station_.results = saved_; }
  SinkSwap(const SinkSwap&) = delete;
  SinkSwap& operator=(const SinkSwap&) = delete;

 private:
  Station& station_;
  ResultSink* saved_;
};

bool IsDownload(const ProfileStep& step) {
  return step.row->cliWord != nullptr && std::string(step.row->cliWord) == "download";
}

}  // namespace

void BoardSequence::AskSerial() {
  if (!profile_.askSerial) return;
  const std::optional<std::string> serial = station_.Ui().AskSerialNumber();
  if (serial && !serial->empty() && station_.results != nullptr) station_.results->SerialNumberGiven(*serial);
}

bool BoardSequence::RunStep(const ProfileStep& step, StepResult& result, const std::function<bool()>& abandon) {
  result.word = step.word;
  if (step.timeLimit) result.timeLimitSeconds = std::chrono::duration<double>(*step.timeLimit).count();
  auto start = std::chrono::steady_clock::now();
  if (StartOperation(station_, *step.row, &step.args) != StartResult::Started) return true;
  while (!station_.runner.WaitFor(kPoll)) {
    if (abandon && abandon()) return false;
    // The time limit counts from the board's answer, not from the wait for
    // the next board to be put in.
    if (station_.awaitingBoard.load()) start = std::chrono::steady_clock::now();
    if (step.timeLimit && !result.timedOut && std::chrono::steady_clock::now() - start >= *step.timeLimit) {
      result.timedOut = true;
      station_.flags.RequestAbort();
    }
  }
  result.outcome = station_.runner.Wait().value_or(Outcome::Failed);
  // An operation its time limit stopped did not end by itself, whatever it said.
  if (result.timedOut && result.outcome == Outcome::Success) result.outcome = Outcome::Aborted;
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return true;
}

std::optional<UnitVerdict> BoardSequence::Run(std::size_t firstStep, bool askSerialFirst,
                                              const std::function<bool()>& abandon) {
  CollectingSink collector(station_.results);
  std::vector<StepResult> results;
  {
    const SinkSwap swap(station_, &collector);
    if (askSerialFirst) AskSerial();
    for (std::size_t i = firstStep; i < profile_.steps.size(); ++i) {
      const ProfileStep& step = profile_.steps[i];
      StepResult& result = results.emplace_back();
      if (!RunStep(step, result, abandon)) return std::nullopt;
      if (result.outcome == Outcome::Success || result.outcome == Outcome::Failed) {
        const std::string word = step.row->cliWord != nullptr ? step.row->cliWord : step.word;
        collector.Measured({word + ".seconds", result.seconds, "s"});
      }
      if (result.outcome != Outcome::Success) break;
      if (IsDownload(step)) AskSerial();
    }
  }
  UnitVerdict verdict = DecideVerdict(profile_, firstStep, results, collector.Measurements());
  StationUi& ui = station_.Ui();
  for (const std::string& line : VerdictJournalLines(verdict)) ui.AddJournalLine(0, line);
  ui.SetStatusText(VerdictStatusText(verdict));
  PlayEndSignal(station_.Sound(), station_.flags.soundOption.load());
  if (station_.results != nullptr) station_.results->UnitJudged(verdict);
  return verdict;
}

}  // namespace rz
