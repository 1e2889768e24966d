// The debug console window, created in-process and driven by messages: its
// keys and beeps, target mode and the field hints as the window shows them,
// the help, and one operation against the simulated board with the journal
// read back from the list view.

#include <gtest/gtest.h>

#include "operations/control_handlers.h"
#include "board_fixture.h"
#include "debug/debug_texts.h"
#include "debug_dlg.h"
#include "dialog_driver.h"
#include "dialog_ids.h"
#include "list_view_journal.h"
#include "win32/win32_text.h"
#include "win32_dialogs.h"

namespace rz::win32::test {
namespace {

namespace dt = debugtext;
using std::chrono::milliseconds;

// The console over `station`, pumped on the test thread as its modal loop
// would.
class DebugRig {
 public:
  explicit DebugRig(Station& station) : console(station) {
    console.SetHelpPresenter([this](HWND, const std::string& caption, const std::string& text) {
      helps.push_back(caption + "|" + text);
    });
    created = console.Create(nullptr);
  }

  // Handles the window's messages for `time`, or until `done` holds.
  template <typename Done>
  bool PumpUntil(Done done, milliseconds time = milliseconds(5000)) {
    const auto end = Clock::now() + time;
    while (!done() && Clock::now() < end) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) console.Dispatch(message);
    }
    return done();
  }
  void Pump() { PumpUntil([] { return false; }, milliseconds(40)); }
  void Press(UINT key) {
    Type(GetFocus() != nullptr ? GetFocus() : console.Window(), L"", key);
    Pump();
  }
  void TypeText(const std::wstring& text) {
    Type(GetFocus(), text);
    Pump();
  }
  void ClickStatus() {
    HWND status = console.Control(IDC_DEBUG_STATUS);
    SendMessageW(status, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    SendMessageW(status, WM_LBUTTONUP, 0, 0);
    Pump();
  }
  std::string Status() { return Utf8(Text(console.Control(IDC_DEBUG_STATUS))); }
  bool Enabled(int id) { return IsWindowEnabled(console.Control(id)) != FALSE; }
  bool Focus(int id) { return GetFocus() == console.Control(id); }
  std::vector<std::string> Journal() {
    std::vector<std::string> lines;
    HWND list = console.Control(IDC_DEBUG_JOURNAL);
    for (int i = 0; i < JournalLineCount(list); ++i) lines.push_back(JournalLineText(list, i));
    return lines;
  }
  // Enters target mode with the focused button: the focus reaches the
  // operation field once the target thread runs.
  bool EnterTarget() {
    Press(VK_RETURN);
    return PumpUntil([&] { return console.State().targetMode.load() == 1 && Focus(IDC_DEBUG_OPERATION); });
  }
  bool LeaveTarget() {
    Press(VK_ESCAPE);
    return PumpUntil([&] { return console.State().targetMode.load() == 0 && console.FocusedButton() != 0; });
  }

  CDebugDlg console;
  bool created = false;
  std::vector<std::string> helps;
};

class DebugWindow : public ::testing::Test {
 protected:
  rz::testing::RecordingUi ui;
  rz::testing::RecordingSound sound;
  rz::testing::PlatformSerialBackend serial;
  Station station{ui, sound, serial};
};

constexpr int kButtons[] = {IDC_DEBUG_ETHERNET, IDC_DEBUG_SDRAM, IDC_DEBUG_FLASH, IDC_DEBUG_SERVICE_COM,
                            IDC_DEBUG_EXTERNAL_COMS, IDC_DEBUG_EXIT};
constexpr int kFields[] = {IDC_DEBUG_OPERATION, IDC_DEBUG_ADDRESS, IDC_DEBUG_DATA};

TEST_F(DebugWindow, OpensIdleAndItsButtonRingBeepsAtTheEndsAndSwallowsSideKeys) {
  DebugRig d(station);
  ASSERT_TRUE(d.created);
  EXPECT_EQ(Utf8(Text(d.console.Window())), dt::kCaption);
  EXPECT_EQ(GetWindowLongPtrW(d.console.Window(), GWL_STYLE) & WS_SYSMENU, 0);
  EXPECT_TRUE(FixedPitch(d.console.Window()));
  for (int i = 0; i < kDebugButtons; ++i) {
    const char* caption = i < kDebugTargets ? dt::kTargetButtons[i] : dt::kExitButton;
    EXPECT_EQ(Utf8(Text(d.console.Control(kButtons[i]))), caption);
  }
  const std::pair<int, const char*> labels[] = {{IDC_DEBUG_OPERATION_LABEL, dt::kOperationLabel},
                                                {IDC_DEBUG_ADDRESS_LABEL, dt::kAddressLabel},
                                                {IDC_DEBUG_DATA_LABEL, dt::kDataLabel}};
  for (const auto& [id, label] : labels) EXPECT_EQ(Utf8(Text(d.console.Control(id))), label);
  for (int id : kFields) EXPECT_FALSE(d.Enabled(id));
  EXPECT_EQ(d.Status(), dt::kStatusIdle);
  EXPECT_TRUE(d.Journal().empty());
  EXPECT_EQ(d.console.FocusedButton(), 1);
  for (int i = 2; i <= kDebugButtons; ++i) {
    d.Press(VK_TAB);
    EXPECT_EQ(d.console.FocusedButton(), i);
  }
  EXPECT_TRUE(sound.Tones().empty());
  struct Step {
    UINT key;
    int focus;
    std::size_t beeps;
  };
  const Step steps[] = {{VK_TAB, 1, 1}, {VK_UP, 6, 2},   {VK_DOWN, 1, 3},  {VK_DOWN, 2, 3},
                        {VK_UP, 1, 3},  {VK_DOWN, 2, 3}, {VK_LEFT, 2, 3},  {VK_RIGHT, 2, 3}, {VK_SPACE, 2, 3}};
  for (const Step& s : steps) {
    d.Press(s.key);
    EXPECT_EQ(d.console.FocusedButton(), s.focus) << "key " << s.key;
    EXPECT_EQ(int(d.console.State().focusIndex.load()), s.focus) << "key " << s.key;
    EXPECT_EQ(sound.Tones().size(), s.beeps) << "key " << s.key;
  }
  EXPECT_EQ(d.console.State().targetMode.load(), 0);  // SPACE pressed no button
  // ESC outside target mode raises the abort flag and closes nothing; the
  // status line has no help to show.
  d.Press(VK_ESCAPE);
  EXPECT_EQ(station.flags.abort.load(), 1);
  EXPECT_FALSE(d.console.Ended());
  d.ClickStatus();
  EXPECT_TRUE(d.helps.empty());
}

TEST_F(DebugWindow, TargetModeShowsHintsAndHelpAndGivesTheFocusBack) {
  DebugRig d(station);
  ASSERT_TRUE(d.created);
  const DebugTarget& sdram = *FindDebugTarget(2);
  d.Press(VK_DOWN);
  ASSERT_TRUE(d.EnterTarget());
  for (int id : kButtons) EXPECT_FALSE(d.Enabled(id));
  for (int id : kFields) EXPECT_TRUE(d.Enabled(id));
  EXPECT_EQ(d.Status(), OperationList(sdram));
  d.ClickStatus();
  EXPECT_EQ(d.helps, std::vector<std::string>{std::string(dt::kHelpCaption) + "|" + HelpText(sdram)});

  d.TypeText(L"aaaaaaaaaa");  // the field keeps to the target's limit
  EXPECT_EQ(Utf8(Text(d.console.Control(IDC_DEBUG_OPERATION))), std::string(sdram.limits.operation, 'a'));
  d.TypeText(std::wstring(static_cast<std::size_t>(sdram.limits.operation) - 1, L'\b'));
  const std::string operation = "a";
  d.Press(VK_TAB);
  EXPECT_TRUE(d.Focus(IDC_DEBUG_ADDRESS));
  EXPECT_EQ(d.Status(), sdram.addressHint(operation));
  d.Press(VK_TAB);
  EXPECT_EQ(d.Status(), sdram.dataHint(operation));
  d.TypeText(L"5 6");  // SPACE reaches no field
  EXPECT_EQ(Utf8(Text(d.console.Control(IDC_DEBUG_DATA))), "56");
  d.ClickStatus();  // a hint has no help
  EXPECT_EQ(d.helps.size(), 1u);

  ASSERT_TRUE(d.LeaveTarget());
  EXPECT_EQ(d.console.FocusedButton(), 2);
  EXPECT_EQ(d.Status(), dt::kStatusIdle);
  for (int id : kFields) EXPECT_FALSE(d.Enabled(id));
  EXPECT_EQ(Utf8(Text(d.console.Control(IDC_DEBUG_DATA))), "56");  // kept until a target button
  ASSERT_TRUE(d.EnterTarget());
  EXPECT_EQ(Utf8(Text(d.console.Control(IDC_DEBUG_DATA))), "");
  EXPECT_EQ(Utf8(Text(d.console.Control(IDC_DEBUG_OPERATION))), "");
  ASSERT_TRUE(d.LeaveTarget());
}

TEST_F(DebugWindow, RunsModallyOverItsOwnerUntilExit) {
  HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  bool ownerDisabled = false;
  ModalDriver driver([&](HWND dialog) {
    ownerDisabled = IsWindowEnabled(owner) == FALSE;
    PostMessageW(GetDlgItem(dialog, IDC_DEBUG_EXIT), BM_CLICK, 0, 0);
  });
  RunDebugWindow(owner, station);
  EXPECT_EQ(driver.Problem(), "");
  EXPECT_TRUE(ownerDisabled);
  EXPECT_TRUE(IsWindowEnabled(owner));
  DestroyWindow(owner);
}

class DebugWindowOnBoard : public rz::testing::BoardStationTest {};

TEST_F(DebugWindowOnBoard, SdramWriteAndReadShowInTheJournal) {
  ASSERT_NO_FATAL_FAILURE(StartBoardAndStation());
  ASSERT_EQ(PressButton(station, Button::Download), StartResult::Started);
  ASSERT_EQ(station.runner.Wait(), Outcome::Success);
  DebugRig d(station);
  ASSERT_TRUE(d.created);
  d.Press(VK_DOWN);
  ASSERT_TRUE(d.EnterTarget());

  auto run = [&](const std::wstring& op, const std::wstring& address, const std::wstring& data) {
    const std::size_t before = d.Journal().size();
    for (const std::wstring* text : {&op, &address, &data}) {
      SendMessageW(GetFocus(), EM_SETSEL, 0, -1);
      d.TypeText(*text);
      d.Press(VK_TAB);
    }
    d.Press(VK_RETURN);
    EXPECT_TRUE(d.PumpUntil([&] { return d.Journal().size() >= before + 3; }, milliseconds(15000)));
    EXPECT_TRUE(d.PumpUntil([&] { return d.Focus(IDC_DEBUG_OPERATION); }));
    const auto lines = d.Journal();
    return std::vector<std::string>(lines.begin() + static_cast<std::ptrdiff_t>(std::min(before, lines.size())),
                                    lines.end());
  };
  using Lines = std::vector<std::string>;
  EXPECT_EQ(run(L"w", L"0x100", L"0x12345678"), (Lines{dt::kSeparator, " w  0x0000100  0x12345678", dt::kDoneNoDot}));
  EXPECT_EQ(run(L"r", L"0x100", L""), (Lines{dt::kSeparator, " r  0x0000100  =0x12345678", dt::kDoneNoDot}));
  ASSERT_TRUE(d.LeaveTarget());
  PostMessageW(d.console.Control(IDC_DEBUG_EXIT), BM_CLICK, 0, 0);
  EXPECT_TRUE(d.PumpUntil([&] { return d.console.Ended(); }));
}

// The help box: the text whole, in a fixed-width font (the SDRAM help's bit
// table lines up), its longest line within the box (none wrapped).
TEST(HelpBox, ShowsTheTextInAFixedWidthFontWithNoLineWrapped) {
  std::wstring caption, shown;
  bool fixedPitch = false;
  RECT needed{}, room{};
  ModalDriver driver([&](HWND dialog) {
    caption = Text(dialog);
    HWND label = nullptr;  // the longest static text
    for (HWND c = nullptr; (c = FindWindowExW(dialog, c, L"Static", nullptr)) != nullptr;) {
      if (label == nullptr || GetWindowTextLengthW(c) > GetWindowTextLengthW(label)) label = c;
    }
    shown.resize(static_cast<std::size_t>(GetWindowTextLengthW(label)) + 1);
    shown.resize(static_cast<std::size_t>(GetWindowTextW(label, shown.data(), static_cast<int>(shown.size()))));
    fixedPitch = FixedPitch(label);
    const HDC dc = GetDC(label);
    SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
    DrawTextW(dc, shown.c_str(), -1, &needed, DT_CALCRECT | DT_NOPREFIX);
    ReleaseDC(label, dc);
    GetClientRect(label, &room);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  ShowHelpMessageBox(nullptr, dt::kHelpCaption, dt::kHelpSdram);
  EXPECT_EQ(driver.Problem(), "");
  EXPECT_EQ(caption, Wide(dt::kHelpCaption));
  std::erase(shown, L'\r');
  EXPECT_EQ(shown, Wide(dt::kHelpSdram));
  EXPECT_TRUE(fixedPitch);
  EXPECT_GT(needed.right, 0);
  EXPECT_LE(needed.right, room.right);
}

}  // namespace
}  // namespace rz::win32::test
