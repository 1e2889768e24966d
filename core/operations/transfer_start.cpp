#include <filesystem>
#include <functional>
#include <memory>

#include "app/host_system.h"
#include "app/texts.h"
#include "flash/flash_texts.h"
#include "flash/flash_unit.h"
#include "flash/transfer_handlers.h"
#include "operations/operation_table.h"
#include "operations/start_steps.h"
#include "operations/station.h"

namespace rz {
namespace {

std::string CurrentFolder() {
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::current_path(error);
  return error ? std::string(".") : folder.string();
}

void ShowFileError(Station& station, const char* pattern, const std::string& name, const std::string& reason) {
  station.Ui().ShowError({text::kErrorCaption, FormatText(pattern, name), true, reason});
}

// Creates the output file of a read. What a read that does not complete got
// is kept and named to the operator and to the run record.
std::unique_ptr<TransferFile> CreateOutput(Station& station, const std::string& path, std::string& reason) {
  return CreateFileForWriting(station.System(), path, reason,
                              [&station](const std::string& kept, const std::string& note) {
                                station.transferFile = kept;
                                station.transferNote = note;
                                if (!note.empty()) station.Ui().Note(note);
                              });
}

void ShowCountError(Station& station, std::uint32_t count) {
  station.Ui().ShowError({text::kErrorCaption, FormatText(text::kBadByteCount, std::to_string(count)), true});
}

// Refuses a transfer's file that is one of the run's own files in a way that
// one would destroy the other (an image that is the record being written, a
// read into the test program).
bool CollidesWithTheRun(Station& station, const FileUse& use, const char* pattern) {
  const std::string collision = FileCollision(station.System(), station.runFiles, use);
  if (collision.empty()) return false;
  ShowFileError(station, pattern, FileNameOf(use.path), collision);
  return true;
}

// Starts `work` as the operation's worker on the file at `path`.
StartResult StartTransfer(Station& station, const std::string& path, std::function<Outcome()> work) {
  station.flags.ClearAbort();
  station.Ui().FocusJournal();
  station.transferFile = path;
  return StartWork(station, std::move(work));
}

// The channel's workers for the transfer about to start, or nothing (refused).
std::optional<TransferWorkers> ChannelWorkers(Station& station) {
  if (!station.Ui().EthernetSwitch()) return SerialTransferWorkers();
  const TransferWorkers ethernet = EthernetTransferWorkers();
  if (ethernet.fileToFlash == nullptr || ethernet.flashToFile == nullptr) {
    station.Ui().ShowError({text::kRefusalCaption, text::kOnlyOverCom, true});
    return std::nullopt;
  }
  return ethernet;
}

}  // namespace

bool ParseWriteArgument(std::string_view rest, OperationArgs& args, std::string& error) {
  if (rest.size() < 2 || rest.front() != '=') {
    error = "takes =FILE";
    return false;
  }
  args.file = std::string(rest.substr(1));
  return true;
}

bool ParseReadArgument(std::string_view rest, OperationArgs& args, std::string& error) {
  const std::size_t colon = rest.rfind(':');
  if (rest.size() < 2 || rest.front() != '=' || colon == std::string_view::npos || colon < 2) {
    error = "takes =FILE:COUNT";
    return false;
  }
  args.file = std::string(rest.substr(1, colon - 1));
  args.readCount = ByteCountFromText(rest.substr(colon + 1));
  return true;
}

StartResult StartFileToFlash(Station& station, const OperationRow&, const OperationArgs* args) {
  const std::optional<TransferWorkers> workers = ChannelWorkers(station);
  if (!workers) return StartResult::Refused;
  std::string path;
  if (args != nullptr) {
    path = args->file;
  } else {
    const std::optional<std::string> chosen = station.Ui().AskOpenFile(CurrentFolder());
    if (!chosen) return StartResult::Refused;
    path = *chosen;
  }
  if (CollidesWithTheRun(station, {path, "write=", false}, text::kOpenFileFailed)) return StartResult::Refused;
  auto job = std::make_shared<FileToFlashJob>();
  job->fileName = FileNameOf(path);
  std::string reason;
  job->file = OpenFileForReading(station.System(), path, reason);
  if (!job->file) {
    ShowFileError(station, text::kOpenFileFailed, job->fileName, reason);
    return StartResult::Refused;
  }
  return StartTransfer(station, path,
                       [&station, job, worker = workers->fileToFlash] { return worker(station, *job); });
}

StartResult StartFlashToFile(Station& station, const OperationRow&, const OperationArgs* args) {
  const std::optional<TransferWorkers> workers = ChannelWorkers(station);
  if (!workers) return StartResult::Refused;
  auto job = std::make_shared<FlashToFileJob>();
  std::string path;
  std::string reason;
  if (args != nullptr) {
    path = args->file;
    job->fileName = FileNameOf(path);
    job->count = args->readCount;
  } else {
    const std::optional<std::string> chosen = station.Ui().AskSaveFile(CurrentFolder());
    if (!chosen) return StartResult::Refused;
    path = *chosen;
    job->fileName = FileNameOf(path);
    if (CollidesWithTheRun(station, {path, "read=", true}, text::kCreateFileFailed)) return StartResult::Refused;
    // The window tries the file before it asks for the count, so that a file
    // that cannot be created is reported first. The trial's temporary file
    // is removed at once: nothing stays behind for a read that never runs.
    if (station.System().CreateOutput(path, reason) == nullptr) {
      ShowFileError(station, text::kCreateFileFailed, job->fileName, reason);
      return StartResult::Refused;
    }
    job->count = station.Ui().AskByteCount();
  }
  if (args != nullptr && CollidesWithTheRun(station, {path, "read=", true}, text::kCreateFileFailed)) {
    return StartResult::Refused;
  }
  // A refused count neither empties an existing file nor leaves a new one.
  if (!ReadCountValid(job->count)) {
    ShowCountError(station, job->count);
    return StartResult::Refused;
  }
  job->file = CreateOutput(station, path, reason);
  if (!job->file) {
    ShowFileError(station, text::kCreateFileFailed, job->fileName, reason);
    return StartResult::Refused;
  }
  return StartTransfer(station, path,
                       [&station, job, worker = workers->flashToFile] { return worker(station, *job); });
}

}  // namespace rz
