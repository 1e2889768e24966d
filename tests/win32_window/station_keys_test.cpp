// The native main window's keys, sent through its own dispatch: the focus
// ring of the twelve buttons and its beeps, the swallowed keys, the option
// keys and the captions they choose, SPACE during the external COM test.

#include <vector>

#include "app/texts.h"
#include "station_window_fixture.h"

namespace rz::testing {
namespace {

struct RingCase {
  const char* name;
  std::vector<WPARAM> keys;
  int focusIndex;  // where the focus index and the keyboard focus end
  int beeps;
};

TEST_F(StationWindowTest, TheFocusRingKeepsTheFocusIndexOnTheFocusedButton) {
  const RingCase cases[] = {
      {"twelve TABs come round once", std::vector<WPARAM>(12, VK_TAB), 1, 1},
      {"DOWN walks forward", {VK_DOWN, VK_DOWN, VK_DOWN}, 4, 0},
      {"UP on the first button wraps to the last", {VK_UP}, 12, 1},
      {"DOWN on the last button wraps to the first", {VK_UP, VK_DOWN}, 1, 2},
      {"UP walks back", {VK_TAB, VK_TAB, VK_UP}, 2, 0},
      {"LEFT and RIGHT never move", {VK_TAB, VK_LEFT, VK_RIGHT, VK_LEFT}, 2, 0},
      {"SPACE outside the external COM test does nothing", {VK_SPACE}, 1, 0},
  };
  ASSERT_NO_FATAL_FAILURE(OpenWindow());
  for (const RingCase& c : cases) {
    SCOPED_TRACE(c.name);
    ::SendMessageW(window->Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(window->Button(1)), TRUE);
    station.flags.focusIndex.store(1);
    const int beepsBefore = BeepCount();
    for (WPARAM key : c.keys) PressKey(key);
    EXPECT_EQ(station.flags.focusIndex.load(), c.focusIndex);
    EXPECT_EQ(window->FocusedButton(), c.focusIndex);
    EXPECT_EQ(BeepCount() - beepsBefore, c.beeps);
    // No key pressed a button.
    EXPECT_FALSE(station.runner.Busy());
    EXPECT_TRUE(messages.size() <= 1u);  // the start-up's COM1 message only
  }
}

TEST_F(StationWindowTest, OptionKeysToggleCaptionsAndBeepWithoutReachingTheButton) {
  struct Case {
    WPARAM key;
    int id;
    const char* first;   // caption after one press
    const char* second;  // after the second
  };
  const Case cases[] = {
      {'C', ControlOf(Button::ServiceCom).id, text::kServiceComV5, text::kServiceComV7},
      {'F', ControlOf(Button::Flash).id, text::kFlashTestOn, text::kFlashTestOff},
      {'F', ControlOf(Button::FileToFlash).id, text::kFileToFlashAny, text::kFileToFlashRzi},
      {'S', ControlOf(ControlRole::SoundLabel).id, text::kSoundLabel, text::kSoundLabelOff},
      {'V', ControlOf(ControlRole::VerifyLabel).id, text::kVerifyLabel, text::kVerifyLabelOff},
  };
  ASSERT_NO_FATAL_FAILURE(OpenWindow());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    const int beepsBefore = BeepCount();
    PressKey(c.key);
    EXPECT_EQ(TextOf(c.id), c.first);
    PressKey(c.key);
    EXPECT_EQ(TextOf(c.id), c.second);
    EXPECT_EQ(BeepCount() - beepsBefore, 2);
    EXPECT_EQ(window->FocusedButton(), 1);
    EXPECT_FALSE(station.runner.Busy());
  }
}

TEST_F(StationWindowTest, SpaceDuringTheExternalComTestAsksForParametersThroughTheTimer) {
  ASSERT_NO_FATAL_FAILURE(OpenWindow());
  station.flags.extComPhase.store(1);
  PressKey(VK_SPACE);
  EXPECT_EQ(station.flags.paramsRequest.load(), 1);
  // Until the worker pauses the timer's ticks change nothing.
  PumpUntil([] { return false; }, std::chrono::milliseconds(450));
  EXPECT_EQ(testParamsDialogs, 0);
  // The worker pauses; the next tick of the window's timer opens the dialog once.
  station.flags.extComPhase.store(2);
  EXPECT_TRUE(PumpUntil([this] { return testParamsDialogs > 0; }, std::chrono::seconds(3)));
  PumpUntil([] { return false; }, std::chrono::milliseconds(500));
  EXPECT_EQ(testParamsDialogs, 1) << "the timer stops when the dialog opens";
  EXPECT_EQ(station.flags.paramsRequest.load(), 0);
}

}  // namespace
}  // namespace rz::testing
