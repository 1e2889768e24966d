#include <string>
#include <string_view>

#include "app/texts.h"
#include "debug/debug_console.h"
#include "debug/debug_operation.h"
#include "operations/operation_table.h"
#include "operations/start_steps.h"
#include "operations/station.h"

namespace rz {
namespace {

bool Split(std::string_view text, std::string_view (&parts)[4]) {
  for (int i = 0; i < 3; ++i) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) return false;
    parts[i] = text.substr(0, colon);
    text.remove_prefix(colon + 1);
  }
  if (text.find(':') != std::string_view::npos) return false;
  parts[3] = text;
  return true;
}

}  // namespace

bool ParseDebugArgument(std::string_view rest, OperationArgs& args, std::string& error) {
  std::string_view parts[4];
  if (rest.empty() || rest.front() != '=' || !Split(rest.substr(1), parts)) {
    error = "takes =TARGET:OPERATION:ADDRESS:DATA (TARGET " + DebugTargetNames() + ")";
    return false;
  }
  const DebugTarget* target = FindDebugTarget(parts[0]);
  if (target == nullptr) {
    error = "knows no target '" + std::string(parts[0]) + "' (TARGET " + DebugTargetNames() + ")";
    return false;
  }
  // The window's fields take no more than their limits; a longer text here
  // would be cut to something else than was meant, so it is refused.
  const struct {
    const char* name;
    std::string_view text;
    int limit;
  } fields[] = {{"operation", parts[1], target->limits.operation},
                {"address", parts[2], target->limits.address},
                {"data", parts[3], target->limits.data}};
  for (const auto& field : fields) {
    if (field.text.size() > static_cast<std::size_t>(field.limit)) {
      error = "takes at most " + std::to_string(field.limit) + " characters in the " + field.name + " field of " +
              target->cliName;
      return false;
    }
  }
  args.debug.interactive = false;
  args.debug.target = target->number;
  args.debug.operation = parts[1];
  args.debug.address = parts[2];
  args.debug.data = parts[3];
  return true;
}

StartResult OpenDebugConsole(Station& station, const OperationRow&, const OperationArgs* args) {
  if (args == nullptr) {
    station.Ui().RunDebugConsole(station, nullptr);
    return StartResult::Started;
  }
  const DebugRequest request = args->debug;
  switch (station.runner.Start([&station, request] { return station.Ui().RunDebugConsole(station, &request); })) {
    case OperationRunner::StartStatus::Started: return StartResult::Started;
    case OperationRunner::StartStatus::Busy: return StartResult::Busy;
    case OperationRunner::StartStatus::NoThread: break;
  }
  station.Ui().ShowError({text::kErrorCaption, text::kNoWorkerThread, true});
  return StartResult::Refused;
}

}  // namespace rz
