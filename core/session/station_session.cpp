#include "session/station_session.h"

#include <chrono>

#include "app/results_log.h"
#include "operations/operation_table.h"
#include "session/startup.h"

namespace rz {
namespace {

// How often the end of a run looks whether a stopped operation has ended.
constexpr std::chrono::milliseconds kEndPoll{20};
// How long the end of a run waits for a last delivery of the forwarded units;
// what is still waiting then stays in the spool for the next start.
constexpr std::chrono::seconds kForwardGrace{3};

}  // namespace

StationSession::StationSession(StationUi& ui, const PlatformBackends& backends, const SessionOptions& options)
    : station_(ui, backends.sound, backends.serial), record_(station_, options.program, options.labels),
      workDir_(options.workDir),
      recordFiles_(options.record),
      transferFiles_(options.transferFiles) {
  station_.udp.backend = backends.datagrams;
  station_.udp.localAddress = options.localAddress;
  station_.portPaths = options.portPaths;
  station_.flags.serviceComVariant.store(options.serviceComVariant);
  station_.flags.flashServiceMode.store(options.flashServiceMode ? 1 : 0);
  station_.verifyUdpWrites = options.verifyUdpWrites;
  station_.flags.soundOption.store(options.endSignal ? 1 : 0);
  station_.flags.verifyWrites.store(options.verifyWrites ? 1 : 0);
  if (!options.serial.empty()) record_.SetNextSerial(options.serial);
  station_.flags.escWhileNoPort.store(options.unattended);
  station_.silenceLimit = options.silenceLimit;
  station_.boardWaitUnlimited = options.boardWaitUnlimited;
  profilePath_ = options.profilePath;
  autoSequenceWanted_ = options.autoSequence;
  recording_ = !options.record.json.empty() || !options.record.junit.empty();
  if (options.history) {
    historyDir_ = options.historyDir.empty() ? DefaultHistoryFolder(station_.System()) : options.historyDir;
    history_ = std::make_unique<StationHistory>(station_.System(), ui, historyDir_, options.forwardDir);
  }
  observing_ = recording_ || history_ != nullptr;
  if (observing_) {
    station_.observer = &record_;
    station_.results = &record_;
  }
}

StationSession::~StationSession() {
  std::string ignored;
  End(false, {}, ignored);
}

bool StationSession::Start(std::string& error) {
  error.clear();
  std::string dir = workDir_.empty() ? std::string(".") : workDir_;
  if (dir.back() != '/' && dir.back() != '\\') dir += '/';
  std::vector<FileUse>& files = station_.runFiles;
  files = {{dir + kTestProgramFileName, "тестовая программа", false},
           {dir + kResultsLogFileName, "журнал результатов", true}};
  if (!recordFiles_.json.empty()) files.push_back({recordFiles_.json, "--record", true});
  if (!recordFiles_.junit.empty()) files.push_back({recordFiles_.junit, "--junit", true});
  std::vector<FileUse> all = files;
  all.insert(all.end(), transferFiles_.begin(), transferFiles_.end());
  error = FileCollision(station_.System(), all);
  if (!error.empty()) return false;
  if (!profilePath_.empty()) {
    profile_ = LoadProfile(station_.System(), profilePath_, error);
    if (!profile_) return false;
    // The files a profile's transfers name live beside the test program.
    for (ProfileStep& step : profile_->steps) {
      std::string& file = step.args.file;
      if (!file.empty() && !IsAbsolutePath(file)) file = dir + file;
    }
    error = FileCollision(station_.System(), [&] {
      std::vector<FileUse> uses = files;
      for (const ProfileStep& step : profile_->steps) {
        if (FileUse use = TransferFileUse(*step.row, step.args); !use.path.empty()) uses.push_back(std::move(use));
      }
      return uses;
    }());
    if (!error.empty()) return false;
    if (autoSequenceWanted_) {
      autoSequence_ = std::make_unique<AutoSequence>(station_, *profile_, station_.observer);
      station_.observer = autoSequence_.get();
    }
  }
  if (history_ && historyDir_.empty()) {
    error = "Ошибка: у пользователя нет каталога данных для истории (--history КАТАЛОГ или --no-history)";
  } else if (history_) {
    history_->Open(error);
  }
  if (error.empty() && recording_) record_.Open(recordFiles_, error);
  if (!error.empty()) {
    autoSequence_.reset();
    station_.observer = nullptr;
    station_.results = nullptr;
    recording_ = observing_ = false;
    history_.reset();
    return false;
  }
  record_.SetUnitListener(history_.get());
  return StartStation(station_, workDir_);
}

bool StationSession::End(bool writeLog, const std::function<void()>& serve, std::string& error) {
  if (ended_) return true;
  ended_ = true;
  if (autoSequence_) autoSequence_->Stop(serve);
  if (station_.runner.Busy()) {
    station_.flags.RequestAbort();
    while (!station_.runner.WaitFor(kEndPoll)) {
      if (serve) serve();
    }
  }
  bool written = true;
  if (observing_ && !record_.Finish(error)) written = false;
  if (history_) history_->FinishForwarding(kForwardGrace);
  if (const std::string lost = history_ ? history_->WriteError() : ""; !lost.empty()) {
    if (written) error = lost;
    written = false;
  }
  if (writeLog && !WriteResultsLog(station_)) written = false;
  StopStation(station_);
  return written;
}

std::optional<UnitForwarder::State> StationSession::ForwardState() const {
  return history_ ? history_->ForwardState() : std::nullopt;
}

std::string StationSession::ForwardRemark() const {
  const std::optional<UnitForwarder::State> state = ForwardState();
  return state ? ForwardStatusText(*state) : "";
}

}  // namespace rz
