// The native main window as real input reaches it: ENTER after a click and
// the dialog it opened, Shift+TAB, the Ethernet switch's clicks and ESC, the
// focus given back after an operation, the dialogs centred over the window,
// the window in the foreground, the Russian reasons of its message boxes, and
// a refused read count that leaves no file.

#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/ethernet_texts.h"
#include "app/texts.h"
#include "dialog_driver.h"
#include "station_window_fixture.h"

namespace rz::testing {
namespace {

using win32::test::ModalDriver;

// Shift held (or released) as the dialog manager and the key filter read it.
void SetShift(bool down) {
  BYTE keys[256] = {};
  ::GetKeyboardState(keys);
  keys[VK_SHIFT] = down ? 0x80 : 0;
  ::SetKeyboardState(keys);
}

bool IsDefaultButton(HWND button) { return (::GetWindowLongPtrW(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON; }

// Whether `text` holds no Latin letter (the system's reason in Russian).
bool NoLatin(const std::string& text) {
  for (char c : text) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return false;
  }
  return true;
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
  ui.presenters.byteCount = [](HWND) -> std::uint32_t { return 0; };  // refused, an error box
  for (const Button button : {Button::Debug, Button::FileToFlash, Button::FlashToFile}) {
    const int index = static_cast<int>(button);
    SCOPED_TRACE(index);
    FocusOn(1);
    opened = 0;
    Click(ControlOf(button).id);
    EXPECT_EQ(opened, 1);
    PressKey(VK_RETURN);
    EXPECT_EQ(opened, 2) << "ENTER runs the clicked button again";
    EXPECT_FALSE(station.runner.Busy()) << "and no download";
    ExpectFocusIndex(index);
    EXPECT_TRUE(IsDefaultButton(window->Button(index)));
    EXPECT_FALSE(IsDefaultButton(window->Button(1)));
  }
  // The mouse pressed on a button and released elsewhere: it has the focus.
  ::PostMessageW(window->Button(7), WM_LBUTTONDOWN, MK_LBUTTON, 0);
  ::PostMessageW(window->Button(7), WM_LBUTTONUP, 0, MAKELPARAM(-5, -5));
  Pump();
  ExpectFocusIndex(7);
  EXPECT_TRUE(IsDefaultButton(window->Button(7)));
}

TEST_F(StationFocusTest, TheFocusIndexFollowsTheFocusWhereverItLands) {
  ASSERT_NO_FATAL_FAILURE(OpenWindow());
  // Shift+TAB walks back, with the beep at the step from the first to the last.
  SetShift(true);
  PressKey(VK_TAB);
  ExpectFocusIndex(12);
  EXPECT_EQ(BeepCount(), 1);
  PressKey(VK_TAB);
  SetShift(false);
  ExpectFocusIndex(11);
  EXPECT_EQ(BeepCount(), 1);

  // The Ethernet switch clicked: ESC with a valid stored address, then a
  // refused address. Nothing runs, the switch stays off and the focus goes
  // back to the button it came from; so it does from a selector.
  FocusOn(5);
  std::vector<std::optional<std::string>> answers = {std::nullopt, std::string("10.00.0.1")};
  ui.presenters.ipAddress = [&](HWND, const std::string&) -> std::optional<std::string> {
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
  // A selector's list opened with the mouse and closed without a choice.
  const HWND cpu = window->Control(ControlRole::CpuSelector);
  ::SetFocus(cpu);
  ::SendMessageW(window->Handle(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(cpu), CBN_CLOSEUP),
                 reinterpret_cast<LPARAM>(cpu));
  Pump();
  ExpectFocusIndex(5);
  PressKey(VK_TAB);
  ExpectFocusIndex(6);

  // Switching on from the first button: the switching ends (no socket here)
  // with the focus back on that button.
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
  const auto listing = [&] {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  };
  const std::vector<std::string> before = listing();
  for (const char* name : {"new.bin", "old.bin"}) {
    SCOPED_TRACE(name);
    ui.presenters.saveFile = [&](HWND, const std::string&) -> std::optional<std::string> {
      return dir.Path() + "/" + name;
    };
    ui.presenters.byteCount = [](HWND) -> std::uint32_t { return 9999999; };
    messages.clear();
    Click(ControlOf(Button::FlashToFile).id);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].box.text, "Кол-во байт чтения: 9999999");
    EXPECT_FALSE(station.runner.Busy());
    EXPECT_EQ(listing(), before);
    EXPECT_EQ(dir.Read("old.bin"), "keep");
  }
}

// Dialogs opened over the window, as the operator meets them: the real
// IP-address dialog and a real message box.
TEST_F(StationFocusTest, DialogsAndMessageBoxesOpenCentredOnTheWindow) {
  ASSERT_NO_FATAL_FAILURE(OpenWindow());
  ui.presenters.error = win32::ShowErrorMessageBox;
  RECT owner{};
  ::GetWindowRect(window->Handle(), &owner);
  const auto opens = [&](const std::function<void()>& open, UINT close) {
    RECT shown{};
    ModalDriver driver(
        [&](HWND dialog) {
          ::GetWindowRect(dialog, &shown);
          ::PostMessageW(dialog, WM_COMMAND, close, 0);
        },
        window->Handle());
    open();
    EXPECT_EQ(driver.Problem(), "");
    EXPECT_NEAR((shown.left + shown.right) / 2, (owner.left + owner.right) / 2, 2);
    EXPECT_NEAR((shown.top + shown.bottom) / 2, (owner.top + owner.bottom) / 2, 2);
  };
  opens([&] { Click(ControlOf(ControlRole::EthernetSwitch).id); }, IDCANCEL);
  window->SetEthernetSwitch(true);
  opens([&] { Click(ControlOf(Button::Sdram).id); }, IDOK);  // "Функция работает только по COM"
}

TEST_F(StationFocusTest, TheWindowComesToTheForegroundWhenItOpens) {
  dir.Write(kTestProgramFileName, TestProgramBytes(2048));
  ASSERT_TRUE(StartStation(station, dir.Path()));
  // Another window (of another thread) is in the foreground meanwhile.
  HWND other = nullptr;
  std::thread elsewhere([&] {
    other = ::CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                              nullptr, nullptr, nullptr);
    ::SetForegroundWindow(other);
  });
  elsewhere.join();
  window = std::make_unique<win32::CStationDlg>(station, ui);
  ASSERT_TRUE(window->Create());
  Pump();
  EXPECT_EQ(::GetForegroundWindow(), window->Handle());
  EXPECT_EQ(::GetFocus(), window->Button(1));
  ::DestroyWindow(other);
}

// What the window's message boxes add of the system: in Russian, paths with
// backslashes only.
TEST_F(StationFocusTest, MessageBoxReasonsAreInRussianWithWindowsPaths) {
  // No test program: where it was looked for, and why it is not there.
  EXPECT_FALSE(StartStation(station, dir.Path() + "/"));
  ASSERT_EQ(messages.size(), 1u);
  const std::string& searched = messages[0].box.details;
  EXPECT_EQ(searched.rfind("искали в ", 0), 0u) << searched;
  EXPECT_EQ(searched.find('/'), std::string::npos) << searched;
  EXPECT_EQ(searched.find("\\\\", 2), std::string::npos) << searched;
  EXPECT_TRUE(NoLatin(searched.substr(searched.rfind(": ")))) << searched;

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
  for (const std::size_t i : {1u, 2u}) {
    const std::string& details = messages[i].box.details;
    SCOPED_TRACE(details);
    EXPECT_EQ(details.find('/'), std::string::npos);
    EXPECT_TRUE(NoLatin(details.substr(details.rfind(": "))));
  }
}

}  // namespace
}  // namespace rz::testing
