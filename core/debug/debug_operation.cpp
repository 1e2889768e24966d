#include "debug/debug_operation.h"

#include "app/texts.h"
#include "context/station_context.h"
#include "debug/debug_console.h"

namespace rz {

namespace {

// Plays the operator of a single request over the real window operations:
// the fields hold the request's texts, and the second time the target thread
// gives the operation field the focus (the operation is over) it presses ESC.
class RequestDrivenUi final : public DebugUi {
 public:
  RequestDrivenUi(DebugUi& inner, StationContext& station, const DebugRequest& request)
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
  StationContext& station_;
  const DebugRequest& request_;
  int focusRequests_ = 0;
};

}  // namespace

std::string DebugTargetNames() {
  std::string names;
  for (int n = 1; n <= kDebugTargets; ++n) {
    if (!names.empty()) names += '|';
    names += FindDebugTarget(n)->cliName;
  }
  return names;
}

Outcome RunDebugRequest(StationContext& station, DebugUi& ui, DebugConsoleState& state, const DebugRequest& request) {
  const DebugTarget* target = FindDebugTarget(request.target);
  if (target == nullptr) return Outcome::Failed;
  RequestDrivenUi driven(ui, station, request);
  DebugContext ctx{station, driven, state};
  EnterTargetMode(ctx, *target);
  station.flags.runRequest.store(1);
  return RunTargetThread(ctx, *target);
}

}  // namespace rz
