#include "cli_operations.h"

#include "operations/operation_table.h"
#include "operations/station.h"

namespace rz::cli {

std::vector<FileUse> TransferFiles(const std::vector<ParsedOperation>& operations) {
  std::vector<FileUse> files;
  for (const ParsedOperation& operation : operations) {
    FileUse use = TransferFileUse(*operation.row, operation.args);
    if (!use.path.empty()) files.push_back(std::move(use));
  }
  return files;
}

std::optional<Outcome> RunOperation(Station& station, const ParsedOperation& operation,
                                    const std::function<bool()>& abandon) {
  if (StartOperation(station, *operation.row, &operation.args) != StartResult::Started) return Outcome::Failed;
  while (!station.runner.WaitFor(std::chrono::milliseconds(50))) {
    if (abandon()) return std::nullopt;
  }
  return station.runner.Wait().value_or(Outcome::Failed);
}

}  // namespace rz::cli
