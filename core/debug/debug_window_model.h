#pragma once

#include <optional>
#include <string_view>

#include "app/station_flags.h"
#include "app/window_keys.h"
#include "debug/debug_console.h"
#include "debug/debug_ui.h"

namespace rz {

// What the debug window does with a key, after the model has updated the
// console's focus index.
struct DebugKeyAction {
  // true: the key then goes through the window's standard processing (TAB
  // moves among the tab stops, ENTER presses the focused button or gives the
  // OK command, ESC the Cancel command); false: it is swallowed.
  bool passOn = false;
  // Sound the confirmation beep (ConfirmationBeep).
  bool beep = false;
  // The arrow keys' own move of the standard processing: to the neighbouring
  // button, +1 down or -1 up, without wrapping (0: none). A toolkit whose
  // dialog handling does not make this move carries it out itself.
  int arrowStep = 0;
  // Next-tab-stop requests to post to the window, handled after the key.
  int nextTabStopRequests = 0;
};

// A help text to show in a message box with an OK button and no icon (UTF-8,
// static storage).
struct HelpMessage {
  const char* caption = nullptr;
  const char* text = nullptr;
};

// The debug window's behaviour that does not depend on a toolkit: the key
// filter (SPACE swallowed everywhere; outside target mode the focus index ring
// of the six buttons with its beeps and next-tab-stop requests, LEFT and RIGHT
// swallowed), the field hints, and which help text a click on the status line
// shows. A window keeps one model over the console's state and the station's
// flags and asks it about every key press before its own key handling.
// Window thread only.
class DebugWindowModel {
 public:
  DebugWindowModel(DebugConsoleState& state, StationFlags& flags) : state_(state), flags_(flags) {}

  // Window initialisation: focus index 1, not in target mode, no help text.
  // The status line then shows debugtext::kStatusIdle.
  void Initialise();

  // One key press. SPACE is swallowed always. In target mode every other key
  // is passed on. Outside it TAB steps the focus index forward (6 -> 1 with a
  // beep), Shift+TAB back (1 -> 6, no beep), DOWN forward (6 -> 1 with a beep
  // and one next-tab-stop request), UP back (1 -> 6 with a beep and five
  // requests); LEFT and RIGHT are swallowed; any other key is passed on.
  DebugKeyAction OnKey(WindowKey key);

  // A field got the keyboard focus; `operationText` is the operation field's
  // text as typed (only its first kHintOperationChars characters count).
  // Returns the status line's new text: the target's operation list for the
  // operation field (which also selects the target's help text), the
  // address or data hint otherwise (which clears it). nullptr when the focus
  // index names no target: the status line stays as it is.
  const char* OnFieldFocus(DebugField field, std::string_view operationText);

  // A click on the status line: the selected help text, or nothing.
  std::optional<HelpMessage> OnStatusClick() const;

  // The target buttons were enabled or disabled: no help text is selected.
  void OnTargetButtonsChanged();

  // OK (ENTER) raises the run request flag; Cancel (ESC) the abort flag.
  // Neither closes the window.
  void OnOk();
  void OnCancel();

  int FocusIndex() const { return state_.focusIndex.load(); }
  bool InTargetMode() const { return state_.targetMode.load() == 1; }

 private:
  DebugConsoleState& state_;
  StationFlags& flags_;
};

}  // namespace rz
