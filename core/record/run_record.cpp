#include "record/run_record.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <utility>

#include "app/host_system.h"
#include "app/texts.h"
#include "operations/operation_table.h"
#include "operations/station.h"
#include "record/record_host.h"
#include "record/record_json.h"
#include "record/record_junit.h"
#include "record/unit_id.h"

#ifndef RZ_VERSION
#define RZ_VERSION "unknown"
#endif

namespace rz {
namespace {

std::string OperationName(const OperationRow& row) {
  if (row.cliWord != nullptr) return row.cliWord;
  const auto index = static_cast<std::size_t>(row.button) - 1;
  return index < std::size(text::kButtonCaptions) ? text::kButtonCaptions[index] : "unknown";
}

bool IsDownload(const OperationRow& row) {
  return row.control == ControlKind::Button && row.button == Button::Download;
}

std::string DigestHex(const Sha256::Digest& digest) {
  std::string hex;
  for (const std::uint8_t byte : digest) {
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02x", byte);
    hex += pair;
  }
  return hex;
}

// The digest of `bytes`, or "" when the system offers no SHA-256.
std::string Sha256Of(std::span<const std::uint8_t> bytes) {
  Sha256 hash;
  Sha256::Digest digest{};
  if (!hash.Available()) return "";
  hash.Update(bytes.data(), bytes.size());
  return hash.Finish(digest) ? DigestHex(digest) : "";
}

// The test program as the download about to start will send it: read through
// the station's open file, which is rewound before and after.
std::optional<RecordedProgram> ProgramOf(TestProgramFile& program) {
  if (!program.IsOpen()) return std::nullopt;
  Sha256 hash;
  if (!hash.Available()) return std::nullopt;
  RecordedProgram recorded;
  program.Rewind();
  std::array<std::uint8_t, 4096> buffer;
  for (;;) {
    std::size_t n = 0;
    while (n < buffer.size() && program.ReadByte(buffer[n]) == 1) ++n;
    if (n == 0) break;
    hash.Update(buffer.data(), n);
    recorded.size += n;
  }
  program.Rewind();
  Sha256::Digest digest{};
  if (!hash.Finish(digest)) return std::nullopt;
  recorded.sha256 = DigestHex(digest);
  return recorded;
}

const char* PortName(int entry) {
  switch (entry) {
    case kPortEntryCom1: return "COM1";
    case kPortEntryCom2: return "COM2";
    default: return "NONE";
  }
}

// A later readout of the same board replaces the sections it read.
void Merge(BoardIdentity& into, const BoardIdentity& read) {
  if (read.processor) into.processor = read.processor;
  if (read.sdram) into.sdram = read.sdram;
  if (read.flash) into.flash = read.flash;
  if (read.ethernet) into.ethernet = read.ethernet;
}

}  // namespace

bool HashFile(HostSystem& system, const std::string& path, std::string& sha256, std::uint64_t& size,
              std::string& reason) {
  // Through the host system: a path that is no longer a regular file is
  // refused instead of waited on.
  const std::unique_ptr<InputFile> in = system.OpenForReading(path, reason);
  if (!in) {
    reason = "cannot open " + path + ": " + reason;
    return false;
  }
  Sha256 hash;
  if (!hash.Available()) {
    reason = "SHA-256 is not available";
    return false;
  }
  size = 0;
  std::array<std::uint8_t, 65536> buffer;
  for (std::size_t got; (got = in->Read(buffer.data(), buffer.size())) > 0;) {
    hash.Update(buffer.data(), got);
    size += got;
  }
  if (size != in->Size()) {
    reason = "cannot read " + path;
    return false;
  }
  Sha256::Digest digest{};
  if (!hash.Finish(digest)) {
    reason = "SHA-256 is not available";
    return false;
  }
  sha256 = DigestHex(digest);
  return true;
}

RunRecord::RunRecord(Station& station, std::string program, RunLabels labels)
    : station_(station), program_(std::move(program)), labels_(std::move(labels)), host_(HostName()),
      start_(std::chrono::system_clock::now()) {}

bool RunRecord::Open(const RecordFiles& files, std::string& error) {
  std::lock_guard lock(mutex_);
  files_ = files;
  WriteLocked();
  error = writeError_;
  return error.empty();
}

void RunRecord::SetNextSerial(std::string serial) {
  std::lock_guard lock(mutex_);
  nextSerial_ = std::move(serial);
}

bool RunRecord::BeginUnitFor(const OperationRow& row) {
  // A download begins the next board, unless the unit that runs has had
  // nothing but changes of port (which began it for the board now to come).
  bool begins = units_.empty() || units_.back().id == judgedId_;
  if (!begins && IsDownload(row)) {
    const RecordedUnit& unit = units_.back();
    begins = unit.downloaded || !unit.identity.Empty() ||
             std::any_of(unit.operations.begin(), unit.operations.end(),
                         [](const RecordedOperation& operation) { return operation.name != "port"; });
  }
  if (!begins && row.control == ControlKind::PortSelector) begins = !units_.back().operations.empty();
  const bool finishes = begins && !units_.empty();
  if (begins) {
    RecordedUnit unit;
    unit.id = NewUnitId();
    unit.serial = std::exchange(nextSerial_, {});
    unit.start = std::chrono::system_clock::now();
    units_.push_back(std::move(unit));
  }
  RecordedUnit& unit = units_.back();
  if (IsDownload(row) && !unit.downloaded) {
    unit.downloaded = true;
    unit.program = ProgramOf(station_.testProgram);
  }
  return finishes;
}

void RunRecord::OperationStarted(const OperationRow& row) {
  StationUi& ui = station_.Ui();
  const int lines = ui.JournalLineCount();
  // A change of port names its unit's port once it has run.
  const std::string port = row.control == ControlKind::PortSelector ? "" : PortName(ui.SelectorIndex(Selector::Port));
  std::optional<RecordedUnit> finished;
  RunData run;
  {
    std::lock_guard lock(mutex_);
    if (BeginUnitFor(row) && listener_ != nullptr) {
      if (units_[units_.size() - 2].id != judgedId_) finished = units_[units_.size() - 2];
      run = HeaderLocked();
      // Without files to write, a finished unit is the listener's alone: a
      // run of many boards keeps only the one under test.
      if (files_.json.empty() && files_.junit.empty()) units_.erase(units_.begin(), units_.end() - 1);
    }
    if (!port.empty()) units_.back().port = port;
    journalBefore_ = lines;
    runningSince_ = std::chrono::steady_clock::now();
    runningStart_ = std::chrono::system_clock::now();
    runningCheck_.reset();
  }
  if (finished) listener_->UnitFinished(run, *finished);
}

void RunRecord::OperationEnded(const OperationRow& row, std::optional<Outcome> outcome) {
  const auto ended = std::chrono::steady_clock::now();
  RecordedOperation entry;
  entry.name = OperationName(row);
  entry.outcome = outcome;
  int from = 0;
  {
    std::lock_guard lock(mutex_);
    entry.start = runningStart_;
    entry.seconds = std::chrono::duration<double>(ended - runningSince_).count();
    entry.check = std::exchange(runningCheck_, std::nullopt);
    from = journalBefore_;
  }
  // The operation's own lines: those added since it started (the journal only
  // grows while an operation runs; its last line may be rewritten in place).
  StationUi& ui = station_.Ui();
  const int count = ui.JournalLineCount();
  for (int line = std::min(from, count); line < count; ++line) {
    entry.journal.push_back(ValidText(ui.JournalLineText(line), false));
  }
  if (!station_.transferFile.empty() || !station_.transferNote.empty()) {
    RecordedTransfer transfer;
    transfer.file = station_.transferFile;
    transfer.note = station_.transferNote;
    if (transfer.file.empty()) {
      transfer.error = "no file was kept";
    } else if (!HashFile(station_.System(), transfer.file, transfer.sha256, transfer.size, transfer.error)) {
      transfer.size = 0;
    }
    entry.transfer = std::move(transfer);
  }

  std::lock_guard lock(mutex_);
  if (units_.empty()) units_.emplace_back().id = NewUnitId();
  units_.back().operations.push_back(std::move(entry));
  WriteLocked();
}

void RunRecord::BoardIdentified(const BoardIdentity& identity) {
  std::optional<RecordedUnit> unit;
  {
    std::lock_guard lock(mutex_);
    if (units_.empty()) return;
    Merge(units_.back().identity, identity);
    if (listener_ != nullptr) unit = units_.back();
  }
  if (unit) listener_->UnitIdentified(*unit);
}

void RunRecord::FlashChecked(const FlashCheck& check) {
  RecordedCheck recorded;
  recorded.bytes = check.flash.size();
  recorded.matches = check.matches;
  recorded.piecesReadAgain = check.piecesReadAgain;
  recorded.piecesWrittenAgain = check.piecesWrittenAgain;
  recorded.differingPieces = check.differingPieces;
  recorded.firstDifferingAddresses = check.firstDifferingAddresses;
  recorded.flashSha256 = Sha256Of(check.flash);
  std::lock_guard lock(mutex_);
  runningCheck_ = std::move(recorded);
}

void RunRecord::Measured(const Measurement& measurement) {
  std::lock_guard lock(mutex_);
  if (!units_.empty()) units_.back().measurements.push_back({measurement, std::nullopt, Judgement::None});
}

void RunRecord::SerialNumberGiven(const std::string& serial) {
  std::lock_guard lock(mutex_);
  if (!units_.empty()) units_.back().serial = serial;
  WriteLocked();
}

void RunRecord::UnitJudged(const UnitVerdict& verdict) {
  std::optional<RecordedUnit> judged;
  RunData run;
  {
    std::lock_guard lock(mutex_);
    if (!JudgeLocked(verdict)) return;
    if (listener_ != nullptr) {
      judged = units_.back();
      judgedId_ = judged->id;
      run = HeaderLocked();
    }
  }
  if (judged) listener_->UnitFinished(run, *judged);
}

bool RunRecord::JudgeLocked(const UnitVerdict& verdict) {
  if (units_.empty()) return false;
  RecordedUnit& unit = units_.back();
  // The sequence's measurements are the unit's last ones, in the same order.
  auto& measurements = unit.measurements;
  measurements.resize(measurements.size() - std::min(measurements.size(), verdict.measurements.size()));
  measurements.insert(measurements.end(), verdict.measurements.begin(), verdict.measurements.end());
  unit.verdict = verdict;
  WriteLocked();
  return true;
}

bool RunRecord::Finish(std::string& error) {
  std::optional<RecordedUnit> last;
  RunData run;
  {
    std::lock_guard lock(mutex_);
    end_ = std::chrono::system_clock::now();
    WriteLocked();
    error = writeError_;
    if (listener_ != nullptr && !units_.empty() && units_.back().id != judgedId_ &&
        !std::exchange(lastFinished_, true)) {
      last = units_.back();
      run = HeaderLocked();
    }
  }
  if (last) listener_->UnitFinished(run, *last);
  return error.empty();
}

nlohmann::json RunRecord::Json() const {
  std::lock_guard lock(mutex_);
  return RunJson(SnapshotLocked());
}

std::string RunRecord::JUnitXml() const {
  std::lock_guard lock(mutex_);
  return RunJUnit(SnapshotLocked());
}

RunData RunRecord::SnapshotLocked() const {
  RunData run = HeaderLocked();
  run.units = units_;
  return run;
}

RunData RunRecord::HeaderLocked() const {
  RunData run;
  run.program = program_;
  run.version = RZ_VERSION;
  run.host = host_;
  run.labels = labels_;
  if (run.labels.station.empty()) run.labels.station = host_;
  run.start = start_;
  run.end = end_;
  run.workDir = station_.workDir;
  run.ports = station_.portPaths;
  const StationFlags& flags = station_.flags;
  run.options.serviceComV7 = flags.serviceComVariant.load() == 1;
  run.options.flashServiceMode = flags.flashServiceMode.load() == 1;
  run.options.sound = flags.soundOption.load() == 1;
  run.options.verifyWrites = flags.verifyWrites.load() == 1;
  run.options.verifyUdpWrites = station_.verifyUdpWrites;
  return run;
}

void RunRecord::WriteLocked() {
  // A write that fails keeps the previous record whole; the first failure is
  // kept for the end of the run, later ones are tried again each time.
  std::string reason;
  if (files_.json.empty() && files_.junit.empty()) return;
  const RunData run = SnapshotLocked();
  if (!files_.json.empty()) {
    const std::string text = RunJson(run).dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    if (!ReplaceWholeFile(station_.System(), files_.json, text, reason) && writeError_.empty()) {
      writeError_ = "Ошибка записи протокола работы " + files_.json + ": " + reason;
    }
  }
  if (!files_.junit.empty()) {
    if (!ReplaceWholeFile(station_.System(), files_.junit, RunJUnit(run), reason) && writeError_.empty()) {
      writeError_ = "Ошибка записи отчета JUnit " + files_.junit + ": " + reason;
    }
  }
}

}  // namespace rz
