#include "cli_operations.h"

#include <array>

#include "app/controls.h"
#include "app/station.h"
#include "cli_ui.h"

namespace rz::cli {
namespace {

struct SelectorWord {
  const char* word;
  Selector selector;
  int entry;
};

constexpr std::array kSelectorWords = {
    SelectorWord{"port=COM1", Selector::Port, kPortEntryCom1},
    SelectorWord{"port=COM2", Selector::Port, kPortEntryCom2},
    SelectorWord{"port=NONE", Selector::Port, kPortEntryNone},
    SelectorWord{"cpu=74", Selector::CpuClock, kCpuEntry74},
    SelectorWord{"cpu=90", Selector::CpuClock, kCpuEntry90},
};

struct ButtonWord {
  const char* word;
  Button button;
};

constexpr std::array kButtonWords = {
    ButtonWord{"download", Button::Download},
    ButtonWord{"config", Button::Configuration},
};

Outcome Finish(Station& station, StartResult started) {
  if (started != StartResult::Started) return Outcome::Failed;
  return station.runner.Wait().value_or(Outcome::Failed);
}

}  // namespace

bool IsKnownOperation(const std::string& word) {
  for (const auto& entry : kSelectorWords) {
    if (word == entry.word) return true;
  }
  for (const auto& entry : kButtonWords) {
    if (word == entry.word) return true;
  }
  return false;
}

Outcome RunOperation(Station& station, CliUi& ui, const std::string& word) {
  for (const auto& entry : kButtonWords) {
    if (word == entry.word) return Finish(station, PressButton(station, entry.button));
  }
  for (const auto& entry : kSelectorWords) {
    if (word != entry.word) continue;
    if (!ui.SelectorEnabled(entry.selector)) {
      ui.ShowError({"rzstation-cli", word + ": the selector is disabled (the board runs at 90 MHz; "
                                            "download the test program again first)",
                    false});
      return Outcome::Failed;
    }
    ui.SetSelectorIndex(entry.selector, entry.entry);
    const StartResult started = entry.selector == Selector::Port ? OnPortSelectorChanged(station)
                                                                 : OnCpuSelectorChanged(station);
    return Finish(station, started);
  }
  return Outcome::Failed;
}

}  // namespace rz::cli
