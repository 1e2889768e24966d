// The window models of the main window and the debug console: what a key, a
// timer message, a field's focus or a click on the status line do to the
// flags, and what the window is told to do. No window is involved.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/station_window_model.h"
#include "app/window_keys.h"
#include "debug/debug_window_model.h"

namespace rz {
namespace {

using Key = WindowKey;

TEST(StationWindowModel, FocusRingWrapsWithOneBeepAndTheRequestsThatReachTheOtherEnd) {
  struct Case {
    Key key;
    int from, presses, to;
    std::vector<int> beepAtPress;  // 1-based presses that beeped
    int requests, arrowStep;
  };
  const Case cases[] = {
      {Key::Tab, 1, 12, 1, {12}, 0, 0},
      {Key::BackTab, 1, 12, 1, {1}, 0, 0},
      {Key::Down, 1, 12, 1, {12}, 1, +1},
      {Key::Up, 1, 1, 12, {1}, 11, -1},
      {Key::Up, 12, 11, 1, {}, 0, -1},
      {Key::Up, 1, 13, 12, {1, 13}, 22, -1},  // round the ring and past the end again
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "key " << static_cast<int>(c.key) << " from " << c.from);
    StationFlags flags;
    StationWindowModel model(flags);
    flags.focusIndex.store(static_cast<std::uint8_t>(c.from));
    std::vector<int> beeps;
    int requests = 0;
    for (int press = 1; press <= c.presses; ++press) {
      const StationKeyAction action = model.OnKey(c.key, 0);
      EXPECT_TRUE(action.passOn);
      EXPECT_EQ(action.arrowStep, c.arrowStep);
      EXPECT_FALSE(action.restartParamsTimer || action.updateModeCaptions || action.updateLabels);
      if (action.beep) beeps.push_back(press);
      requests += action.nextControlRequests;
    }
    EXPECT_EQ(model.FocusIndex(), c.to);
    EXPECT_EQ(beeps, c.beepAtPress);
    EXPECT_EQ(requests, c.requests);
  }
}

TEST(StationWindowModel, SwallowedAndUntouchedKeysChangeNoFlag) {
  const struct {
    Key key;
    std::uint8_t phase;
    bool passOn;
  } cases[] = {{Key::Left, 0, false}, {Key::Right, 1, false}, {Key::Space, 0, false}, {Key::Space, 2, false},
               {Key::Enter, 0, true}, {Key::Escape, 1, true}, {Key::Other, 0, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "key " << static_cast<int>(c.key) << " phase " << int{c.phase});
    StationFlags flags;
    StationWindowModel model(flags);
    flags.focusIndex.store(7);
    flags.extComPhase.store(c.phase);
    const StationKeyAction action = model.OnKey(c.key, 0);
    EXPECT_EQ(action.passOn, c.passOn);
    EXPECT_FALSE(action.beep || action.restartParamsTimer || action.updateModeCaptions || action.updateLabels);
    EXPECT_EQ(action.nextControlRequests, 0);
    EXPECT_EQ(flags.focusIndex.load(), 7);
    EXPECT_EQ(flags.paramsRequest.load() + flags.abort.load() + flags.runRequest.load(), 0);
  }
}

TEST(StationWindowModel, SpaceWhileTheExternalTestRunsAsksForParametersAndTheTimerOpensTheDialogOncePaused) {
  StationFlags flags;
  StationWindowModel model(flags);
  flags.extComPhase.store(1);
  for (int press = 0; press < 2; ++press) {  // a second SPACE restarts the timer
    const StationKeyAction action = model.OnKey(Key::Space, 0);
    EXPECT_TRUE(action.passOn && action.restartParamsTimer && !action.beep);
  }
  EXPECT_EQ(flags.paramsRequest.load(), 1);
  // The worker has not paused yet: the timer message changes nothing.
  EXPECT_FALSE(model.OnTimer().runParamsDialog);
  EXPECT_EQ(flags.paramsRequest.load(), 1);
  flags.extComPhase.store(2);
  EXPECT_TRUE(model.OnTimer().runParamsDialog);
  model.OnParamsDialogClosed();
  EXPECT_EQ(flags.paramsRequest.load(), 0);
}

TEST(StationWindowModel, OptionKeysToggleBeepAndChooseTheCaptions) {
  StationFlags flags;
  StationWindowModel model(flags);
  const auto shown = [&model] {
    const ModeCaptions c = model.Captions();
    return std::string(c.serviceCom) + "|" + c.flash + "|" + c.fileToFlash + "|" + model.SoundLabel() + "|" +
           model.VerifyLabel();
  };
  const std::string v7 = "Тест служеб.\u0421\u041E\u041Cа(v7)", v5 = "Тест служеб.\u0421\u041E\u041Cа(v5)";
  const std::string flashOff = "|xТест Flash|Запись file.rzi->Flash|", flashOn = "|Тест Flash|Запись file.*->Flash|";
  EXPECT_EQ(shown(), v7 + flashOff + " | ");
  const struct {
    Key key;
    std::string after;
  } presses[] = {{Key::C, v5 + flashOff + " | "},       {Key::C, v7 + flashOff + " | "},
                 {Key::F, v7 + flashOn + " | "},        {Key::S, v7 + flashOn + "Sound| "},
                 {Key::V, v7 + flashOn + "Sound|Verify"}, {Key::F, v7 + flashOff + "Sound|Verify"},
                 {Key::S, v7 + flashOff + " |Verify"},  {Key::V, v7 + flashOff + " | "}};
  flags.focusIndex.store(4);
  for (const auto& p : presses) {
    const StationKeyAction action = model.OnKey(p.key, 4);
    EXPECT_FALSE(action.passOn);
    EXPECT_TRUE(action.beep);
    const bool label = p.key == Key::S || p.key == Key::V;
    EXPECT_EQ(action.updateLabels, label);
    EXPECT_EQ(action.updateModeCaptions, !label);
    EXPECT_EQ(shown(), p.after);
  }
  EXPECT_EQ(flags.focusIndex.load(), 4);
  // A variant other than 1 reads as v5, and a toggle makes it 1.
  flags.serviceComVariant.store(7);
  EXPECT_EQ(shown(), v5 + flashOff + " | ");
  model.OnKey(Key::C, 0);
  EXPECT_EQ(flags.serviceComVariant.load(), 1);
}

TEST(StationWindowModel, CommandsAndMouseFocusSetOnlyTheirFlags) {
  StationFlags flags;
  StationWindowModel model(flags);
  flags.focusIndex.store(9);
  model.Initialise();
  EXPECT_EQ(model.FocusIndex(), 1);
  for (int index : {0, 13, 255, -1}) model.OnButtonFocused(index);
  EXPECT_EQ(model.FocusIndex(), 1);
  model.OnButtonFocused(12);
  EXPECT_EQ(model.FocusIndex(), 12);
  model.OnOk();
  EXPECT_EQ(flags.runRequest.load(), 1);
  EXPECT_EQ(flags.abort.load(), 0);
  model.OnCancel();
  EXPECT_TRUE(flags.AbortRequested());
}

TEST(WindowKeys, VirtualKeysMapByCodeAloneExceptShiftTab) {
  const struct {
    std::uint32_t vk;
    bool shift;
    Key key;
  } cases[] = {{0x09, false, Key::Tab}, {0x09, true, Key::BackTab}, {0x28, true, Key::Down}, {0x53, true, Key::S},
               {0x63, false, Key::Other}, {0x0D, false, Key::Enter}, {0x41, false, Key::Other}, {0x56, false, Key::V}};
  for (const auto& c : cases) EXPECT_EQ(WindowKeyFromVirtualKey(c.vk, c.shift), c.key) << std::hex << c.vk;
}

// --- Debug window --------------------------------------------------------------

class DebugWindowModelTest : public ::testing::Test {
 protected:
  DebugConsoleState state;
  StationFlags flags;
  DebugWindowModel model{state, flags};
};

TEST_F(DebugWindowModelTest, OutsideTargetModeTheSixButtonsFormARing) {
  const struct {
    Key key;
    int from, to;
    bool passOn, beep;
    int requests, arrowStep;
  } cases[] = {
      {Key::Tab, 6, 1, true, true, 0, 0},      {Key::Tab, 3, 4, true, false, 0, 0},
      {Key::BackTab, 1, 6, true, false, 0, 0}, {Key::Up, 1, 6, true, true, 5, 0},
      {Key::Up, 3, 2, true, false, 0, -1},     {Key::Down, 6, 1, true, true, 1, 0},
      {Key::Down, 5, 6, true, false, 0, +1},   {Key::Left, 2, 2, false, false, 0, 0},
      {Key::Right, 2, 2, false, false, 0, 0},  {Key::Space, 2, 2, false, false, 0, 0},
      {Key::Enter, 2, 2, true, false, 0, 0},   {Key::C, 2, 2, true, false, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "key " << static_cast<int>(c.key) << " from " << c.from);
    state.focusIndex.store(static_cast<std::uint8_t>(c.from));
    const DebugKeyAction action = model.OnKey(c.key);
    EXPECT_EQ(model.FocusIndex(), c.to);
    EXPECT_EQ(action.passOn, c.passOn);
    EXPECT_EQ(action.beep, c.beep);
    EXPECT_EQ(action.nextTabStopRequests, c.requests);
    EXPECT_EQ(action.arrowStep, c.arrowStep);
  }
}

TEST_F(DebugWindowModelTest, InTargetModeOnlySpaceIsSwallowedAndTheTargetNumberStays) {
  state.targetMode.store(1);
  for (Key key : {Key::Tab, Key::BackTab, Key::Up, Key::Down, Key::Left, Key::Right, Key::Enter, Key::Escape}) {
    const DebugKeyAction action = model.OnKey(key);
    EXPECT_TRUE(action.passOn && !action.beep) << static_cast<int>(key);
    EXPECT_EQ(action.nextTabStopRequests + action.arrowStep, 0);
  }
  EXPECT_EQ(model.FocusIndex(), 1);
  EXPECT_FALSE(model.OnKey(Key::Space).passOn);
}

TEST_F(DebugWindowModelTest, FieldFocusShowsTheHintAndOnlyTheOperationFieldSelectsHelp) {
  const struct {
    int target;
    DebugField field;
    const char* operation;
    const char* status;  // nullptr: the status line stays
    bool help;
  } cases[] = {
      {2, DebugField::Operation, "", "w  |  wc  |  r  |  rc | a", true},
      {4, DebugField::Operation, "txc", "tx\u0441  |  rts  |  dtr", true},
      {5, DebugField::Address, "tx0", "Один канал: 0..31 | Все каналы: 32", false},
      {5, DebugField::Address, "tx0  ", "Каналы: 0..31", false},
      {1, DebugField::Data, "rc", "Не используется", false},
      {3, DebugField::Data, "rc", "Данные 32 бита: 0x00000000..0xFFFFFFFF", false},
      {6, DebugField::Operation, "w", nullptr, true},  // "Выход" is no target: the help stays
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "target " << c.target << " operation '" << c.operation << "'");
    state.focusIndex.store(static_cast<std::uint8_t>(c.target));
    state.helpText.store(3);
    const char* status = model.OnFieldFocus(c.field, c.operation);
    EXPECT_EQ(std::string(status != nullptr ? status : "(none)"), c.status != nullptr ? c.status : "(none)");
    EXPECT_EQ(model.OnStatusClick().has_value(), c.help);
  }
}

TEST_F(DebugWindowModelTest, StatusClickShowsTheSelectedTargetsHelpUntilTheButtonsChange) {
  EXPECT_FALSE(model.OnStatusClick().has_value());  // before any target button
  state.focusIndex.store(2);
  model.OnFieldFocus(DebugField::Operation, "");
  const auto help = model.OnStatusClick();
  ASSERT_TRUE(help.has_value());
  EXPECT_STREQ(help->caption, "Cправка");  // a Latin C first
  EXPECT_EQ(std::string(help->text).rfind("  если A1,A0=0,0: write-read 32\n", 0), 0u);
  EXPECT_NE(std::string(help->text).find("SDRAM"), std::string::npos);
  model.OnTargetButtonsChanged();
  EXPECT_FALSE(model.OnStatusClick().has_value());
  // A new window starts outside target mode on the first button.
  state.targetMode.store(1);
  state.focusIndex.store(4);
  model.Initialise();
  EXPECT_FALSE(model.InTargetMode());
  EXPECT_EQ(model.FocusIndex(), 1);
  model.OnOk();
  model.OnCancel();
  EXPECT_TRUE(flags.runRequest.load() == 1 && flags.AbortRequested());
}

}  // namespace
}  // namespace rz
