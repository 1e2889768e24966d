#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/file_uses.h"
#include "operations/operation_args.h"
#include "app/outcome.h"

namespace rz {
class Station;
struct OperationRow;
}  // namespace rz

namespace rz::cli {

// An operation word of the command line, checked and parsed before anything runs.
struct ParsedOperation {
  std::string word;
  const OperationRow* row = nullptr;
  OperationArgs args;
  // Given with --serial before this operation: the serial number of the board
  // of the next unit of the record that begins from here on.
  std::string serial;
};

// The files the operations' write= and read= name, for the check of the run's
// files before anything runs.
std::vector<FileUse> TransferFiles(const std::vector<ParsedOperation>& operations);

// Uses the operation's control the way the window's handler does, with the
// word's argument in place of the window's dialogs, waits for the worker to
// finish and returns its outcome (Failed when it was refused or could not start).
// `abandon` is asked while waiting; when it says so, the wait ends with no
// outcome and the worker is left running.
std::optional<Outcome> RunOperation(Station& station, const ParsedOperation& operation,
                                    const std::function<bool()>& abandon);

}  // namespace rz::cli
