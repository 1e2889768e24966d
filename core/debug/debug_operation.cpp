#include "debug/debug_operation.h"

#include "app/station.h"
#include "app/texts.h"
#include "debug/debug_console.h"

namespace rz {

namespace {

// Plays the operator of a single request over the real window operations:
// the fields hold the request's texts, and the second time the target thread
// gives the operation field the focus (the operation is over) it presses ESC.
class RequestDrivenUi final : public DebugUi {
 public:
  RequestDrivenUi(DebugUi& inner, Station& station, const DebugRequest& request)
      : inner_(inner), station_(station), request_(request) {}

  void AddDebugLine(int mode, const std::string& text) override { inner_.AddDebugLine(mode, text); }
  void SetDebugStatus(const std::string& text) override { inner_.SetDebugStatus(text); }
  void RestoreDebugFocus(std::uint8_t count) override { inner_.RestoreDebugFocus(count); }
  void EnableTargetButtons(bool enable) override { inner_.EnableTargetButtons(enable); }
  void EnableFields(bool o, bool a, bool d) override { inner_.EnableFields(o, a, d); }
  void ClearFields(bool o, bool a, bool d) override { inner_.ClearFields(o, a, d); }
  void RequestOperationFocus() override {
    inner_.RequestOperationFocus();
    if (++focusRequests_ >= 2) station_.flags.RequestAbort();
  }
  void RequestJournalFocus() override { inner_.RequestJournalFocus(); }
  void SetFieldLimits(const FieldLimits& limits) override { inner_.SetFieldLimits(limits); }
  std::string ReadField(DebugField field, int limit) override {
    const std::string& text = field == DebugField::Operation ? request_.operation
                              : field == DebugField::Address ? request_.address
                                                             : request_.data;
    return text.substr(0, limit < 0 ? 0 : static_cast<std::size_t>(limit));
  }

 private:
  DebugUi& inner_;
  Station& station_;
  const DebugRequest& request_;
  int focusRequests_ = 0;
};

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

std::string DebugTargetNames() {
  std::string names;
  for (int n = 1; n <= kDebugTargets; ++n) {
    if (!names.empty()) names += '|';
    names += FindDebugTarget(n)->cliName;
  }
  return names;
}

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

Outcome RunDebugRequest(Station& station, DebugUi& ui, DebugConsoleState& state, const DebugRequest& request) {
  const DebugTarget* target = FindDebugTarget(request.target);
  if (target == nullptr) return Outcome::Failed;
  RequestDrivenUi driven(ui, station, request);
  DebugContext ctx{station, driven, state};
  EnterTargetMode(ctx, *target);
  station.flags.runRequest.store(1);
  return RunTargetThread(ctx, *target);
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
