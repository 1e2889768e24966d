#include "cli_operations.h"

#include "operations/operation_table.h"
#include "operations/station.h"

namespace rz::cli {

std::optional<Outcome> RunOperation(Station& station, const ParsedOperation& operation,
                                    const std::function<bool()>& abandon) {
  if (StartOperation(station, *operation.row, &operation.args) != StartResult::Started) return Outcome::Failed;
  while (!station.runner.WaitFor(std::chrono::milliseconds(50))) {
    if (abandon()) return std::nullopt;
  }
  return station.runner.Wait().value_or(Outcome::Failed);
}

}  // namespace rz::cli
