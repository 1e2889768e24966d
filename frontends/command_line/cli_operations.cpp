#include "cli_operations.h"

#include "operations/operation_table.h"
#include "operations/station.h"

namespace rz::cli {

std::vector<FileUse> TransferFiles(const std::vector<ParsedOperation>& operations) {
  std::vector<FileUse> files;
  for (const ParsedOperation& operation : operations) {
    const std::string word = operation.row->cliWord != nullptr ? operation.row->cliWord : "";
    if (word == "write" || word == "read") files.push_back({operation.args.file, word + "=", word == "read"});
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
