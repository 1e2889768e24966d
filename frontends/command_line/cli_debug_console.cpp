// The debug console on the command line: one operation of a debug= word, or
// the interactive console of --debug-console.

#include <atomic>
#include <thread>

#include "cli_debug_ui.h"
#include "cli_ui.h"
#include "debug/debug_console.h"
#include "debug/debug_operation.h"
#include "line_reader.h"
#include "operations/station.h"

namespace rz::cli {

namespace {

constexpr int kStandardInput = 0;

class InteractiveConsole {
 public:
  InteractiveConsole(Station& station, CliDebugUi& ui, std::FILE* out)
      : station_(station), ui_(ui), out_(out), reader_(kStandardInput) {}

  void Run() {
    for (;;) {
      const DebugTarget* target = AskTarget();
      if (target == nullptr) return;
      RunTarget(*target);
    }
  }

 private:
  void Prompt(const std::string& text) {
    std::fputs(text.c_str(), out_);
    std::fflush(out_);
  }

  // nullptr: leave the console (empty line, end of input or Ctrl-C).
  const DebugTarget* AskTarget() {
    for (;;) {
      Prompt("\ntarget (" + DebugTargetNames() + ", or 1..5; empty line or Ctrl-D leaves)> ");
      std::string line;
      const auto status = reader_.Read(line, [this] { return station_.flags.AbortRequested(); });
      if (status != LineReader::Status::Line || line.empty()) {
        station_.flags.ClearAbort();
        Prompt("\n");
        return nullptr;
      }
      const DebugTarget* target = FindDebugTarget(line);
      if (target == nullptr && line.size() == 1 && line[0] >= '1' && line[0] <= '5') {
        target = FindDebugTarget(line[0] - '0');
      }
      if (target != nullptr) return target;
      Prompt("no such target: " + line + "\n");
    }
  }

  // Asks for one field until it fits its limit. False when the target is to
  // be left (end of input) or is being left (Ctrl-C while waiting).
  bool AskField(const std::string& prompt, int limit, std::string& text, bool& leave) {
    for (;;) {
      Prompt(prompt + "> ");
      const auto status = reader_.Read(text, [this] { return targetDone_.load(); });
      if (status == LineReader::Status::Stopped) {
        Prompt("\n");
        return false;
      }
      if (status == LineReader::Status::End) {
        leave = true;
        return false;
      }
      if (text.size() <= static_cast<std::size_t>(limit)) return true;
      Prompt("(at most " + std::to_string(limit) + " characters)\n");
    }
  }

  // Reads the three fields; false when the operator leaves the target.
  bool AskOperation(const DebugTarget& target) {
    const FieldLimits limits = ui_.Limits();
    std::string operation;
    bool leave = false;
    for (;;) {
      if (!AskField(std::string("operation (") + OperationList(target) + "; help; empty line leaves)",
                    limits.operation < 4 ? 4 : limits.operation, operation, leave)) {
        return !leave;
      }
      if (operation != "help") break;
      Prompt(std::string(HelpText(target)) + "\n");
    }
    if (operation.empty()) return false;
    if (operation.size() > static_cast<std::size_t>(limits.operation)) {
      Prompt("(at most " + std::to_string(limits.operation) + " characters)\n");
      return AskOperation(target);
    }
    const std::string typed = operation.substr(0, kHintOperationChars);
    std::string address;
    if (target.readsAddress &&
        !AskField(std::string("address (") + target.addressHint(typed) + ")", limits.address, address, leave)) {
      return !leave;
    }
    std::string data;
    if (!AskField(std::string("data (") + target.dataHint(typed) + ")", limits.data, data, leave)) return !leave;
    ui_.SetField(DebugField::Operation, operation);
    ui_.SetField(DebugField::Address, address);
    ui_.SetField(DebugField::Data, data);
    station_.flags.runRequest.store(1);
    return true;
  }

  void RunTarget(const DebugTarget& target) {
    DebugContext ctx{station_, ui_, state_};
    EnterTargetMode(ctx, target);
    targetDone_.store(false);
    std::thread thread([this, &ctx, &target] {
      RunTargetThread(ctx, target);
      targetDone_.store(true);
    });
    while (ui_.WaitForOperationFocus([this] { return targetDone_.load(); })) {
      ui_.Flush();
      // ESC while editing: the target thread leaves target mode.
      if (!AskOperation(target)) station_.flags.RequestAbort();
    }
    thread.join();
    ui_.Flush();
  }

  Station& station_;
  CliDebugUi& ui_;
  std::FILE* out_;
  LineReader reader_;
  DebugConsoleState state_;
  std::atomic<bool> targetDone_{false};
};

}  // namespace

Outcome CliUi::RunDebugConsole(Station& station, const DebugRequest* request) {
  if (request == nullptr) return Outcome::Failed;
  {
    std::lock_guard lock(mutex_);
    if (live_) CloseLiveRegion();  // the debug journal starts below the station's
  }
  CliDebugUi ui(out_, err_, live_);
  if (!request->interactive) {
    DebugConsoleState state;
    const Outcome outcome = RunDebugRequest(station, ui, state, *request);
    ui.Flush();
    return outcome;
  }
  InteractiveConsole(station, ui, out_).Run();
  return Outcome::Success;
}

}  // namespace rz::cli
