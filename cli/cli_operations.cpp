#include "cli_operations.h"

#include "app/operation_table.h"
#include "app/station.h"

namespace rz::cli {

Outcome RunOperation(Station& station, const ParsedOperation& operation) {
  if (StartOperation(station, *operation.row, &operation.args) != StartResult::Started) return Outcome::Failed;
  return station.runner.Wait().value_or(Outcome::Failed);
}

}  // namespace rz::cli
