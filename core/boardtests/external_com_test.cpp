#include "boardtests/external_com_test.h"

#include <algorithm>
#include <chrono>

#include "app/measurement.h"
#include "app/texts.h"
#include "app/worker_frame.h"
#include "boardtests/external_com_commands.h"
#include "boardtests/external_com_table.h"
#include "boardtests/external_com_texts.h"
#include "context/station_context.h"
#include "link/exchange.h"
#include "link/serial_channel.h"

namespace rz {
namespace {

using std::chrono::milliseconds;

// Pause after drawing each row of a new table, and after deleting each row.
constexpr milliseconds kRowStep{15};
// A redrawn row stays empty this long, which marks the channel being worked on.
constexpr milliseconds kRowBlink{50};
constexpr milliseconds kAbsentRowBlink{40};
// The paused test looks at the parameters request this often.
constexpr milliseconds kPauseStep{100};

constexpr std::uint8_t kPhaseIdle = 0;
constexpr std::uint8_t kPhaseRunning = 1;
constexpr std::uint8_t kPhasePaused = 2;

// Sets the test phase back to 0 on every way out.
class PhaseScope {
 public:
  explicit PhaseScope(StationFlags& flags) : flags_(flags) {}
  ~PhaseScope() { flags_.extComPhase.store(kPhaseIdle); }
  PhaseScope(const PhaseScope&) = delete;
  PhaseScope& operator=(const PhaseScope&) = delete;

 private:
  StationFlags& flags_;
};

class ExternalComRun {
 public:
  ExternalComRun(StationContext& station, ExtComState& state)
      : station_(station), ui_(station.Ui()), flags_(station.flags), state_(state) {}

  Outcome Run();

 private:
  // How a run of cycles ended: in a pause for new parameters, or for good.
  enum class Stop { Pause, End };

  int Row(int position) const { return base_ + kExtComFirstRow + position; }
  int ChannelCount() const { return std::clamp<int>(state_.params.channelCount, 0, kExtChannelPositions); }
  bool AbortRequested() const { return flags_.AbortRequested(); }
  bool ParamsRequested() const { return flags_.paramsRequest.load() == 1; }

  void DrawNewTable();
  void DrawHeaderRows();
  void Blink(int line, const std::string& text, milliseconds blank);
  void AdjustRows();
  bool StartParameterSet();
  Stop SerialCycles();
  Stop ParallelCycles();
  // After a completed cycle: the cycle limit, ESC, or a parameters request.
  std::optional<Stop> AfterCycle();
  Stop End(Outcome outcome) {
    outcome_ = outcome;
    return Stop::End;
  }

  StationContext& station_;
  StationUi& ui_;
  StationFlags& flags_;
  ExtComState& state_;
  int base_ = 0;
  int rows_ = 0;
  std::uint16_t cycle_ = 1;
  std::array<std::uint16_t, kExtChannelPositions> errors_{};
  std::optional<std::uint32_t> cycleLimit_;
  std::uint32_t cyclesDone_ = 0;
  // A channel was tested at least once: a map of absent positions tests none.
  bool channelTested_ = false;
  // The positions tested at least once, whose error counts are measured.
  std::array<bool, kExtChannelPositions> positionTested_{};
  void MeasureErrors();
  Outcome outcome_ = Outcome::Aborted;
};

void ExternalComRun::DrawHeaderRows() {
  ui_.SetJournalLine(base_ + kExtComHeaderLine,
                     ExtComHeaderRow(state_.params, ui_.SelectorIndex(Selector::CpuClock), state_.accessTiming));
  ui_.SetJournalLine(base_ + kExtComFifoLine, ExtComFifoRow(state_.params.fifoMode, cycle_));
}

void ExternalComRun::DrawNewTable() {
  base_ = ui_.JournalLineCount();
  rows_ = ChannelCount();
  for (int line = 0; line < rows_ + kExtComFirstRow; ++line) ui_.InsertJournalLine(base_ + line, "");
  ui_.SetJournalLine(base_ + kExtComTitleLine, text::kExtComTitle);
  DrawHeaderRows();
  for (int i = 0; i < rows_; ++i) {
    ui_.SetJournalLine(Row(i), ExtComEmptyRow(i));
    station_.Sleep(kRowStep);
  }
}

void ExternalComRun::Blink(int line, const std::string& text, milliseconds blank) {
  ui_.SetJournalLine(line, "");
  station_.Sleep(blank);
  ui_.SetJournalLine(line, text);
}

// The dialog may have changed the channel count: 16 more rows below the table,
// or the last 16 removed from the bottom up.
void ExternalComRun::AdjustRows() {
  const int wanted = ChannelCount();
  if (rows_ == kFewChannels && wanted == kAllChannels) {
    for (int i = kFewChannels; i < kAllChannels; ++i) ui_.InsertJournalLine(Row(i), "");
    rows_ = wanted;
  } else if (rows_ == kAllChannels && wanted == kFewChannels) {
    for (int i = kAllChannels - 1; i >= kFewChannels; --i) {
      ui_.DeleteJournalLine(Row(i));
      station_.Sleep(kRowStep);
    }
    rows_ = wanted;
  }
}

// A new parameter set: the test runs (SPACE is taken), the input left over is
// dropped and the channel map read again.
bool ExternalComRun::StartParameterSet() {
  flags_.extComPhase.store(kPhaseRunning);
  PurgePort(station_.Port());
  return ReadChannelMap(station_, state_) == kExchangeOk;
}

std::optional<ExternalComRun::Stop> ExternalComRun::AfterCycle() {
  ++cycle_;
  ++cyclesDone_;
  if (cycleLimit_ && cyclesDone_ >= *cycleLimit_) {
    MeasureErrors();
    if (!channelTested_) {
      ui_.AddJournalLine(0, text::kExtComNothingTested);
      return End(Outcome::Failed);
    }
    const bool clean = std::all_of(errors_.begin(), errors_.end(), [](std::uint16_t n) { return n == 0; });
    return End(clean ? Outcome::Success : Outcome::Failed);
  }
  if (AbortRequested()) return End(Outcome::Aborted);
  if (ParamsRequested()) return Stop::Pause;
  return std::nullopt;
}

// The error count of every position tested, after a run the cycle limit ended.
void ExternalComRun::MeasureErrors() {
  Measure(station_, {"ext-com.channelsTested",
                     static_cast<double>(std::count(positionTested_.begin(), positionTested_.end(), true)), ""});
  for (std::size_t i = 0; i < positionTested_.size(); ++i) {
    if (positionTested_[i]) {
      Measure(station_, {"ext-com.errors[" + std::to_string(i) + "]", static_cast<double>(errors_[i]), ""});
    }
  }
}

ExternalComRun::Stop ExternalComRun::SerialCycles() {
  for (;;) {
    if (ReadChannelMap(station_, state_) != kExchangeOk) return End(Outcome::Aborted);
    DrawHeaderRows();
    const std::int32_t fifoMode = state_.params.fifoMode;
    for (int i = 0; i < ChannelCount(); ++i) {
      const std::uint8_t channel = state_.channelMap[static_cast<std::size_t>(i)];
      std::uint8_t status = 0;
      if (TestChannel(station_, fifoMode, channel, status) != kExchangeOk) {
        return End(status == kChannelTestFailed ? Outcome::Failed : Outcome::Aborted);
      }
      // Counted at the position, shown by the channel number (the same
      // counter when the map holds every channel at its own position).
      if ((status & 3) == 1) ++errors_[static_cast<std::size_t>(i)];
      channelTested_ = channelTested_ || channel != kAbsentChannel;
      if (channel != kAbsentChannel) positionTested_[static_cast<std::size_t>(i)] = true;
      if (channel == kAbsentChannel) {
        Blink(Row(i), ExtComAbsentRow(i), kAbsentRowBlink);
      } else {
        Blink(Row(i), ExtComChannelRow(fifoMode, channel, status, errors_[channel]), kRowBlink);
      }
      if (AbortRequested()) return End(Outcome::Aborted);
      if (ParamsRequested()) return Stop::Pause;
    }
    if (const auto stop = AfterCycle()) return *stop;
  }
}

ExternalComRun::Stop ExternalComRun::ParallelCycles() {
  for (;;) {
    if (ReadChannelMap(station_, state_) != kExchangeOk) return End(Outcome::Aborted);
    DrawHeaderRows();
    if (ReadFifoCounters(station_, state_.params.channelCount, state_) != kExchangeOk) {
      return End(Outcome::Aborted);
    }
    // The board counts every position in this mode, whatever the map.
    channelTested_ = channelTested_ || ChannelCount() > 0;
    for (int i = 0; i < ChannelCount(); ++i) positionTested_[static_cast<std::size_t>(i)] = true;
    for (int i = 0; i < ChannelCount(); ++i) {
      if (AbortRequested()) return End(Outcome::Aborted);
      const auto& counters = state_.fifoCounters[static_cast<std::size_t>(i)];
      auto& errors = errors_[static_cast<std::size_t>(i)];
      if (counters.c != 0) ++errors;
      if (counters.d != 0) ++errors;
      Blink(Row(i), ExtComParallelRow(i, counters, errors), kRowBlink);
    }
    if (const auto stop = AfterCycle()) return *stop;
  }
}

Outcome ExternalComRun::Run() {
  ui_.SetStatusText(text::kStatusExtCom);
  cycleLimit_ = state_.cycleLimit;
  DrawNewTable();
  if (!StartParameterSet()) return Outcome::Aborted;
  for (;;) {
    std::uint8_t reply = 0;
    if (SetChannelParams(station_, state_.params, reply) != kExchangeOk) {
      return reply == kStatusRefused ? Outcome::Failed : Outcome::Aborted;
    }
    const Stop stop = state_.params.fifoMode == kFifoParallelIrq ? ParallelCycles() : SerialCycles();
    if (stop == Stop::End) return outcome_;

    // Paused: the window runs the parameters dialog and clears the request
    // when it closes. ESC (which only a window that never ran the dialog
    // leaves to the worker, as at shut-down) ends the pause too.
    flags_.extComPhase.store(kPhasePaused);
    while (ParamsRequested() && !AbortRequested()) station_.Sleep(kPauseStep);
    if (AbortRequested()) return Outcome::Aborted;
    AdjustRows();
    if (!StartParameterSet()) return Outcome::Aborted;
  }
}

}  // namespace

Outcome ExternalComTest(StationContext& station, ExtComState& state) {
  const WorkerFrame frame(station.Ui(), station.flags, {.showAbortHint = false});
  const PhaseScope phase(station.flags);
  return ExternalComRun(station, state).Run();
}

std::string ExternalComHelpText() {
  return "ext-com PARAMS: comma-separated KEY=VALUE, stored as the window's parameters\n"
         "dialog stores them (they persist for later ext-com operations of the run):\n"
         "  cycles=N        end after N cycles (success only when no channel error counted)\n"
         "  speed=BAUD      115200, 57600, 38400, 19200, 9600, 4800, 2400 or 1200\n"
         "  fifo=0..3       0 byte mode, 1 serial FIFO+IRQ, 2 latch register,\n"
         "                  3 parallel FIFO+IRQ\n"
         "  block=N         bytes per channel and cycle, 0..9999; at most 1024 is kept in\n"
         "                  FIFO modes 0-2, 2048 in mode 3\n"
         "  line=0..4       0 RS485 monitor, 1 RS485 half duplex, 2 CL20 with echo\n"
         "                  blocking, 3 duplex, 4 internal loop\n"
         "  code=0|1        test code 0-1-2-3 or FF-00-FF\n"
         "  channels=16|32  number of channels\n";
}

}  // namespace rz
