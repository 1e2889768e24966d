#pragma once

#include <functional>

#include "app/station_flags.h"
#include "app/window_keys.h"

namespace rz {

// Period of the window timer that SPACE starts during the external COM test.
inline constexpr int kParamsTimerMs = 200;

// What the main window does with a key, after the model has updated the
// station's flags (focus index, options, parameters request).
struct StationKeyAction {
  // true: the key then goes through the window's standard processing (TAB and
  // the arrows move the focus among the buttons, SPACE presses the focused
  // button); false: it is swallowed.
  bool passOn = false;
  // Sound the confirmation beep (ConfirmationBeep).
  bool beep = false;
  // The arrow keys' own move of the standard processing: to the neighbouring
  // enabled button, +1 down or -1 up, without wrapping (0: none). A toolkit
  // whose dialog handling does not make this move carries it out itself.
  int arrowStep = 0;
  // Next-control requests to post to the window (each moves the focus to the
  // next enabled button, wrapping from the last to the first); they are
  // handled after the key itself.
  int nextControlRequests = 0;
  // (Re)start the parameters timer with the period kParamsTimerMs.
  bool restartParamsTimer = false;
  // Show Captions() on the three mode buttons / SoundLabel() and
  // VerifyLabel() on their labels.
  bool updateModeCaptions = false;
  bool updateLabels = false;
};

// What the main window does with a message of its parameters timer.
struct StationTimerAction {
  // Stop the parameters timer, run the test-parameters dialog modally and,
  // once it has closed, call OnParamsDialogClosed.
  bool runParamsDialog = false;
};

// The captions of the three buttons whose captions follow the options
// (UTF-8, static storage).
struct ModeCaptions {
  const char* serviceCom = nullptr;   // button 3
  const char* flash = nullptr;        // button 5
  const char* fileToFlash = nullptr;  // button 10
};

// Whether the button with a focus index (1..kButtonCount) is enabled.
using ButtonEnabled = std::function<bool(int focusIndex)>;

// The main window's behaviour that does not depend on a toolkit: the focus
// index ring of the buttons with its beeps and next-control requests, the
// moves of the keyboard focus among the enabled buttons and its parking while
// they are disabled, the swallowed keys, SPACE during the external COM test,
// the option keys C, F and S with the captions and label they choose, and the
// parameters timer.
// A window keeps one model over the station's flags and asks it about every
// key press before its own key handling; the model changes the flags and
// answers with plain actions for the window to carry out. Window thread only.
class StationWindowModel {
 public:
  explicit StationWindowModel(StationFlags& flags) : flags_(flags) {}

  // Window initialisation: the focus index starts on the first button.
  void Initialise();

  // One key press, with the button that has the keyboard focus (0: none).
  // The focus index is that button's number first, however the focus got
  // there; with no button focused (an operation runs) it stays as it is.
  // TAB and DOWN step it forward, Shift+TAB and UP back; stepping past either
  // end wraps with a beep (DOWN then asks for one next-control request, UP
  // for one less than there are buttons; TAB and Shift+TAB wrap by the
  // standard processing itself). LEFT and RIGHT are swallowed. SPACE during
  // the external COM test's running phase raises the parameters request and
  // (re)starts the timer, and is passed on; otherwise it is swallowed. C, F
  // and S toggle the service COM variant, the Flash service mode and the
  // sound option, beep, and are swallowed. Every other key is passed on
  // untouched.
  StationKeyAction OnKey(WindowKey key, int focusedButton);

  // A message of the parameters timer: once the test has paused for new
  // parameters the dialog runs; before that the timer keeps running.
  StationTimerAction OnTimer();
  // The test-parameters dialog has closed: the paused test resumes.
  void OnParamsDialogClosed();

  // A button got the keyboard focus, by whatever means (keys, the mouse, a
  // dialog that closed): the focus index follows it. Values outside
  // 1..kButtonCount are ignored.
  void OnButtonFocused(int focusIndex);

  // OK (ENTER that no button takes) raises the run request flag; Cancel (ESC)
  // the abort flag. Neither closes the window.
  void OnOk();
  void OnCancel();

  // The captions of the mode buttons and the texts of the "Sound" and
  // "Verify" labels for the options as they stand.
  ModeCaptions Captions() const;
  const char* SoundLabel() const;
  const char* VerifyLabel() const;

  int FocusIndex() const { return flags_.focusIndex.load(); }

  // The moves of the keyboard focus among the buttons; `from` is the focus
  // index of the button that has the focus, 0 when none has. Each answers the
  // button to give the focus to, or 0 for none.
  // A next-control request (and TAB): the next enabled button after `from`,
  // wrapping from the last to the first; from no button, the first enabled.
  // With `step` -1 (Shift+TAB) the same backwards.
  static int NextControlTarget(int from, const ButtonEnabled& enabled, int step = +1);
  // The arrow keys' own move: the neighbouring enabled button in `step`'s
  // direction (+1 or -1), without wrapping; none from no button.
  static int ArrowTarget(int from, int step, const ButtonEnabled& enabled);

  // Parking: disabling the focused button would walk the keyboard focus along
  // the remaining buttons (or lose it, and ESC with it). The window asks
  // before it disables its controls, with the focused button (0: none): true
  // means park the focus away from the buttons (on the journal).
  static bool ParkFocus(int focusedButton) { return focusedButton != 0; }
  // Once the window has enabled its controls again, with the focused button
  // (0: none): the button to give the focus to now, or 0. The worker's last
  // step posts as many next-control requests as the focus index counts, which
  // walk the focus from off the buttons to the index's button; for index 1 it
  // posts none, so the window puts the focus there itself.
  int FocusAfterEnabling(int focusedButton) const;

 private:
  StationFlags& flags_;
};

}  // namespace rz
