// The native main window as real input reaches it: ENTER after a click and
// the dialog it opened, Shift+TAB, the Ethernet switch's clicks and ESC, the
// focus given back after an operation, dialogs centred over the window, the
// Russian reasons of its message boxes, a refused read count.

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "app/ethernet_texts.h"
#include "dialog_driver.h"
#include "station_window_fixture.h"

namespace rz::testing {
namespace {

// Shift held (or released) as the dialog manager and the key filter read it.
void SetShift(bool down) {
  BYTE keys[256] = {};
  ::GetKeyboardState(keys);
  keys[VK_SHIFT] = down ? 0x80 : 0;
  ::SetKeyboardState(keys);
}

bool IsDefault(HWND button) { return (::GetWindowLongPtrW(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON; }

// The system's reason (after the last ": ") holds no Latin letter.
bool ReasonInRussian(const std::string& details) {
  const std::string reason = details.substr(details.rfind(": "));
  return std::none_of(reason.begin(), reason.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)); });
}

class StationFocusTest : public StationWindowTest {
 protected:
  void FocusOn(int focusIndex) {
    ::SendMessageW(window->Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(window->Button(focusIndex)), TRUE);
    Pump();
  }
  void ExpectFocusIndex(int focusIndex) {
    EXPECT_EQ(window->FocusedButton(), focusIndex);
    EXPECT_EQ(station.flags.focusIndex.load(), focusIndex);
  }
};

TEST_F(StationFocusTest, EnterRunsTheButtonThatHasTheFocusAfterAClickAndItsDialog) {
  ASSERT_NO_FATAL_FAILURE(OpenWindow());
  int opened = 0;
  ui.presenters.debugWindow = [&](HWND, Station&) { ++opened; };
  ui.presenters.openFile = [&](HWND, const std::string&) -> std::optional<std::string> {
    ++opened;
    return std::nullopt;  // ESC in the file dialog
  };
  ui.presenters.saveFile = [&](HWND, const std::string&) -> std::optional<std::string> {
    ++opened;
    return dir.Path() + "/never.bin";
  };
  ui.presenters.byteCount = [](HWND) -> std::uint32_t { return 0; };  // refused, with an error box
  for (const Button button : {Button::Debug, Button::FileToFlash, Button::FlashToFile}) {
    const int index = static_cast<int>(button);
    SCOPED_TRACE(index);
    FocusOn(1);
    opened = 0;
    Click(ControlOf(button).id);
    PressKey(VK_RETURN);
    EXPECT_EQ(opened, 2) << "ENTER runs the clicked button again";
    EXPECT_FALSE(station.runner.Busy()) << "and no download";
    ExpectFocusIndex(index);
    EXPECT_TRUE(IsDefault(window->Button(index)));
    EXPECT_FALSE(IsDefault(window->Button(1)));
  }
}

TEST_F(StationFocusTest, TheFocusIndexFollowsTheFocusWhereverItLands) {
  ASSERT_NO_FATAL_FAILURE(OpenWindow());
  // Shift+TAB walks back, with the beep at the step from the first to the last.
  SetShift(true);
  for (const int expected : {12, 11}) {
    PressKey(VK_TAB);
    ExpectFocusIndex(expected);
  }
  SetShift(false);
  EXPECT_EQ(BeepCount(), 1);

  // The Ethernet switch clicked: ESC with a valid stored address, then a
  // refused address. Nothing runs, the switch stays off and the focus goes
  // back to the button it came from; so it does from a selector's list closed
  // without a choice.
  FocusOn(5);
  std::vector<std::optional<std::string>> answers = {std::nullopt, std::string("10.00.0.1")};
  ui.presenters.ipAddress = [&](HWND, const std::string&) {
    const auto answer = answers.front();
    answers.erase(answers.begin());
    return answer;
  };
  ASSERT_TRUE(station.udp.addressValid);
  messages.clear();
  for (int click = 0; click < 2; ++click) {
    Click(ControlOf(ControlRole::EthernetSwitch).id);
    EXPECT_FALSE(window->EthernetSwitch());
    EXPECT_FALSE(station.runner.Busy());
    ExpectFocusIndex(5);
  }
  EXPECT_EQ(messages.size(), 1u) << "the refused address";
  EXPECT_TRUE(ListedJournal().empty());
  const HWND cpu = window->Control(ControlRole::CpuSelector);
  ::SetFocus(cpu);
  ::SendMessageW(window->Handle(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(cpu), CBN_CLOSEUP),
                 reinterpret_cast<LPARAM>(cpu));
  Pump();
  PressKey(VK_TAB);
  ExpectFocusIndex(6);

  // Switching on from the first button ends (no socket here) with the focus
  // back on that button.
  FocusOn(1);
  answers = {std::string("127.0.0.2")};
  Click(ControlOf(ControlRole::EthernetSwitch).id);
  AwaitOperation();
  EXPECT_EQ(ListedJournal().back(), text::kSocketOpenError);
  ExpectFocusIndex(1);
  PressKey(VK_DOWN);
  ExpectFocusIndex(2);
}

TEST_F(StationFocusTest, ARefusedReadCountLeavesNoNewFileAndTheExistingOneUnchanged) {
  ASSERT_NO_FATAL_FAILURE(OpenWindow());
  dir.Write("old.bin", std::vector<std::uint8_t>{'k', 'e', 'e', 'p'});
  const auto files = [&] {
    const std::filesystem::directory_iterator all(dir.Path());
    return std::distance(begin(all), end(all));
  };
  const auto before = files();
  ui.presenters.byteCount = [](HWND) -> std::uint32_t { return 9999999; };
  for (const char* name : {"new.bin", "old.bin"}) {
    ui.presenters.saveFile = [&](HWND, const std::string&) { return std::optional(dir.Path() + "/" + name); };
    Click(ControlOf(Button::FlashToFile).id);
    EXPECT_EQ(messages.back().box.text, "Кол-во байт чтения: 9999999");
    EXPECT_FALSE(station.runner.Busy());
    EXPECT_EQ(files(), before) << name;
    EXPECT_EQ(dir.Read("old.bin"), "keep");
  }
}

// The real IP-address dialog and a real message box over the window.
TEST_F(StationFocusTest, DialogsAndMessageBoxesOpenCentredOnTheWindow) {
  ASSERT_NO_FATAL_FAILURE(OpenWindow());
  ui.presenters.error = win32::ShowErrorMessageBox;
  RECT owner{};
  ::GetWindowRect(window->Handle(), &owner);
  for (const int id : {ControlOf(ControlRole::EthernetSwitch).id, ControlOf(Button::Sdram).id}) {
    RECT shown{};
    win32::test::ModalDriver driver(
        [&](HWND dialog) {
          ::GetWindowRect(dialog, &shown);
          ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        },
        window->Handle());
    Click(id);
    EXPECT_EQ(driver.Problem(), "");
    EXPECT_NEAR(shown.left + shown.right, owner.left + owner.right, 3);
    EXPECT_NEAR(shown.top + shown.bottom, owner.top + owner.bottom, 3);
    window->SetEthernetSwitch(true);  // so that the SDRAM test is refused
  }
}

// What the window's message boxes add of the system: in Russian, paths with
// backslashes only.
TEST_F(StationFocusTest, MessageBoxReasonsAreInRussianWithWindowsPaths) {
  EXPECT_FALSE(StartStation(station, dir.Path() + "/"));  // no test program
  ASSERT_EQ(messages.size(), 1u);
  const std::string& searched = messages[0].box.details;
  EXPECT_EQ(searched.rfind("искали в ", 0), 0u) << searched;
  EXPECT_EQ(searched.find("\\\\", 2), std::string::npos) << searched;

  // A COM port that leads nowhere, and one that is a plain file.
  dir.Write("plain.txt", std::vector<std::uint8_t>{1});
  station.portPaths = {"COM1", dir.Path() + "/plain.txt"};
  ASSERT_NO_FATAL_FAILURE(OpenWindow());
  window->SetSelectorIndex(Selector::Port, kPortEntryCom2);
  const HWND port = window->Control(ControlRole::PortSelector);
  ::SendMessageW(window->Handle(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(port), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(port));
  AwaitOperation();
  ASSERT_EQ(messages.size(), 3u);
  for (const ShownMessage& shown : messages) {
    EXPECT_EQ(shown.box.details.find('/'), std::string::npos) << shown.box.details;
    EXPECT_TRUE(ReasonInRussian(shown.box.details)) << shown.box.details;
  }
}

}  // namespace
}  // namespace rz::testing
