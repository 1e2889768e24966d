#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/outcome.h"
#include "debug/debug_ui.h"

namespace rz {

class StationContext;

// Target numbers of the debug console; the sixth button is "Выход".
inline constexpr int kDebugTargets = 5;
inline constexpr int kDebugButtons = 6;

// The console's state shared between its window and its target thread.
struct DebugConsoleState {
  // 1 while a target thread runs.
  std::atomic<std::int32_t> targetMode{0};
  // Button holding the focus outside target mode (1..6); the target number in it.
  std::atomic<std::uint8_t> focusIndex{1};
  // Target whose help text a click on the status line shows; 0 = none.
  std::atomic<std::int32_t> helpText{0};
};

// What a target thread works with.
struct DebugContext {
  StationContext& station;
  DebugUi& ui;
  DebugConsoleState& state;
};

// The lower-cased field texts, each cut to its limit.
struct DebugFieldTexts {
  std::string operation;
  std::string address;
  std::string data;
};

// A checked operation: its echo line and what the executor sends. The meaning
// of the numbers is the executor's (address, data word and code for the memory
// targets; data byte and keyword for the service COM; channel, value and code
// for the external COMs).
struct DebugPlan {
  std::string echo;
  std::uint32_t address = 0;
  std::uint32_t data = 0;
  std::uint8_t code = 0;
};

// One target of the console: its field limits, its checks and echo line, its
// executor and its field hints.
struct DebugTarget {
  int number = 0;
  const char* cliName = nullptr;  // name on the command line
  FieldLimits limits;
  bool readsAddress = true;
  // Checks the operation, the address and the data in that order and composes
  // the echo line; returns the error line of the first failing field, or nullptr.
  const char* (*check)(const DebugFieldTexts& fields, DebugPlan& plan) = nullptr;
  Outcome (*execute)(DebugContext& ctx, DebugPlan& plan) = nullptr;
  // Hints for the address and the data field, by the operation text as typed.
  const char* (*addressHint)(std::string_view operation) = nullptr;
  const char* (*dataHint)(std::string_view operation) = nullptr;
};

// Target 1..5; nullptr for any other number.
const DebugTarget* FindDebugTarget(int number);
// By its command-line name ("ethernet", "sdram", "flash", "service-com", "ext-com").
const DebugTarget* FindDebugTarget(std::string_view cliName);

// The status-line texts of the fields and the help text of a target.
const char* OperationList(const DebugTarget& target);
const char* HelpText(const DebugTarget& target);
// At most this many characters of the operation field choose the hints.
inline constexpr std::size_t kHintOperationChars = 5;

// A target button: focus index := target number, abort and run request flags
// cleared, the six buttons disabled, the fields emptied. The caller then runs
// the target thread.
void EnterTargetMode(DebugContext& ctx, const DebugTarget& target);

// The target thread: waits for ENTER (the run request flag), runs one
// operation at a time, and leaves target mode on ESC while editing. Returns
// the outcome of the last operation (Aborted when none ran).
Outcome RunTargetThread(DebugContext& ctx, const DebugTarget& target);

// The five target threads.
Outcome DebugEthernet(DebugContext& ctx);
Outcome DebugSdram(DebugContext& ctx);
Outcome DebugFlash(DebugContext& ctx);
Outcome DebugServiceCom(DebugContext& ctx);
Outcome DebugExternalComs(DebugContext& ctx);

}  // namespace rz
