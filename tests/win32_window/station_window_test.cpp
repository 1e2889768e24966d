// The native main window without a board: its template, the start-up state,
// ESC and ENTER, the refusals, the window operations from a worker, the end
// of the session.

#include <array>
#include <thread>

#include "app/controls.h"
#include "app/cp1251.h"
#include "app/texts.h"
#include "dialog_driver.h"
#include "station_window_fixture.h"

namespace rz::testing {
namespace {

TEST_F(StationWindowTest, OpensWithTheTemplateAndTheStartUpState) {
  ASSERT_NO_FATAL_FAILURE(OpenWindow());
  const HWND dialog = window->Handle();
  wchar_t caption[256] = {};
  ::GetWindowTextW(dialog, caption, 256);
  EXPECT_EQ(win32::Utf8(caption), text::kWindowCaption);
  const LONG_PTR style = ::GetWindowLongPtrW(dialog, GWL_STYLE);
  EXPECT_TRUE(style & WS_CAPTION);
  EXPECT_FALSE(style & WS_SYSMENU) << "no system menu, so no close box";
  EXPECT_TRUE(::GetWindowLongPtrW(dialog, GWL_EXSTYLE) & WS_EX_APPWINDOW);
  // A fixed-width font: the design font, or one of its metrics where it is missing.
  EXPECT_TRUE(win32::test::FixedPitch(dialog));

  // The template's captions, but for the three the option keys choose.
  for (int i = 1; i <= kButtonCount; ++i) {
    const auto button = static_cast<Button>(i);
    if (button == Button::ServiceCom || button == Button::Flash || button == Button::FileToFlash) continue;
    EXPECT_EQ(TextOf(::GetDlgCtrlID(window->Button(i))), text::kButtonCaptions[i - 1]) << "button " << i;
  }
  // The buttons are the only tab stops, and the first has the focus.
  int tabStops = 0;
  for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
    tabStops += (::GetWindowLongPtrW(child, GWL_STYLE) & WS_TABSTOP) != 0;
  }
  EXPECT_EQ(tabStops, kButtonCount);
  EXPECT_EQ(window->FocusedButton(), 1);
  EXPECT_EQ(station.flags.focusIndex.load(), 1);

  EXPECT_EQ(TextOf(ControlOf(ControlRole::StatusLine).id), text::kStatusIdle);
  const HWND journal = window->Control(ControlRole::Journal);
  EXPECT_EQ(::SendMessageW(journal, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0), LVS_EX_GRIDLINES);
  EXPECT_EQ(::SendMessageW(journal, LVM_GETCOLUMNWIDTH, 0, 0), 395);
  EXPECT_TRUE(::GetWindowLongPtrW(journal, GWL_STYLE) & LVS_NOCOLUMNHEADER);
  EXPECT_EQ(::SendMessageW(journal, LVM_GETITEMCOUNT, 0, 0), 0);

  // No board: COM1 did not open, said so before the window, and the port
  // selector starts on NONE; the CPU clock selector on its first entry.
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].owner, nullptr);
  EXPECT_EQ(window->SelectorIndex(Selector::Port), kPortEntryNone);
  EXPECT_EQ(window->SelectorIndex(Selector::CpuClock), kCpuEntry74);
  const HWND cpu = window->Control(ControlRole::CpuSelector);
  ASSERT_EQ(::SendMessageW(cpu, CB_GETCOUNT, 0, 0), 2);
  wchar_t entry[64] = {};
  ::SendMessageW(cpu, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(entry));
  EXPECT_EQ(win32::Utf8(entry), text::kCpuEntries[1]);
  EXPECT_FALSE(window->EthernetSwitch());
}

TEST_F(StationWindowTest, EscAndEnterRaiseTheirFlagsAndNeverClose) {
  ASSERT_NO_FATAL_FAILURE(OpenWindow());
  // The journal has the focus, as while an operation runs: ENTER reaches no
  // enabled button.
  window->SetOperationControlsEnabled(false);
  window->FocusJournal();
  PressKey(VK_RETURN);
  EXPECT_EQ(station.flags.runRequest.load(), 1);
  PressKey(VK_ESCAPE);
  EXPECT_EQ(station.flags.abort.load(), 1);
  // A close request is ESC too.
  station.flags.ClearAbort();
  ::SendMessageW(window->Handle(), WM_CLOSE, 0, 0);
  Pump();
  EXPECT_EQ(station.flags.abort.load(), 1);
  EXPECT_TRUE(::IsWindow(window->Handle()));
  EXPECT_FALSE(window->Closed());
  EXPECT_FALSE(station.runner.Busy());
}

TEST_F(StationWindowTest, RefusalsAreMessageBoxesOwnedByTheWindow) {
  ASSERT_NO_FATAL_FAILURE(OpenWindow());
  messages.clear();
  struct Case {
    bool ethernet;
    int id;
    const char* text;
  };
  const Case cases[] = {
      {true, ControlOf(Button::Configuration).id, text::kOnlyOverCom},
      {true, ControlOf(Button::Flash).id, text::kOnlyOverCom},
      {false, ControlOf(Button::Flash).id, text::kNotAvailable},
      {true, ControlOf(Button::Debug).id, text::kOnlyOverCom},
  };
  for (const Case& c : cases) {
    messages.clear();
    window->SetEthernetSwitch(c.ethernet);
    Click(c.id);
    ASSERT_EQ(messages.size(), 1u) << c.id;
    EXPECT_EQ(messages[0].box.caption, text::kRefusalCaption);
    EXPECT_EQ(messages[0].box.text, c.text);
    EXPECT_EQ(messages[0].owner, window->Handle());
    EXPECT_FALSE(station.runner.Busy());
    EXPECT_EQ(window->Button(station.flags.focusIndex.load()), window->Control(c.id));
  }
}

// The window operations called from a worker thread, as operations call them:
// each runs on the window's thread and the list view follows the journal.
TEST_F(StationWindowTest, WorkerCallsReachTheListView) {
  ASSERT_NO_FATAL_FAILURE(OpenWindow());
  std::vector<std::string> readBack;
  bool done = false;
  std::thread worker([&] {
    ui.AddJournalLine(-1, "nothing to replace");
    ui.AddJournalLine(0, " a");
    ui.AddJournalLine(0, " b 1%");
    ui.AddJournalLine(-1, " b 100%");
    ui.AddJournalLine(1, "past the end");
    ui.InsertJournalLine(1, " inserted");
    ui.SetJournalLine(0, " A");
    ui.AddJournalLine(0, " c");
    ui.DeleteJournalLine(3);
    ui.SetJournalLine(7, "absent");
    for (int i = 0; i < ui.JournalLineCount(); ++i) readBack.push_back(ui.JournalLineText(i));
    ui.SetStatusText(text::kStatusBusy);
    EnableControls(ui, false);
    done = true;
  });
  EXPECT_TRUE(PumpUntil([&] { return done; }));
  worker.join();
  const std::vector<std::string> expected = {" A", " inserted", " b 100%"};
  EXPECT_EQ(ListedJournal(), expected);
  EXPECT_EQ(readBack, expected);
  EXPECT_EQ(TextOf(ControlOf(ControlRole::StatusLine).id), text::kStatusBusy);
  EXPECT_FALSE(::IsWindowEnabled(window->Button(12)));
  EXPECT_FALSE(::IsWindowEnabled(window->Control(ControlRole::CpuSelector)));
}

TEST_F(StationWindowTest, CpuSelectorStaysDisabledAt90MhzAndTheDownloadButtonPutsItBack) {
  ASSERT_NO_FATAL_FAILURE(OpenWindow());
  window->SetSelectorIndex(Selector::CpuClock, kCpuEntry90);
  EnableControls(ui, true);
  EXPECT_FALSE(::IsWindowEnabled(window->Control(ControlRole::CpuSelector)));
  EXPECT_TRUE(::IsWindowEnabled(window->Control(ControlRole::PortSelector)));
  Click(ControlOf(Button::Download).id);  // no board: the download waits for one until ESC
  EXPECT_EQ(window->SelectorIndex(Selector::CpuClock), kCpuEntry74);
  PumpUntil([this] { return !::IsWindowEnabled(window->Button(1)); });
  PressKey(VK_ESCAPE);
  EXPECT_EQ(AwaitOperation(), Outcome::Aborted);
  EXPECT_EQ(window->FocusedButton(), 1) << "the download button gets the focus back";
  EXPECT_TRUE(::IsWindowEnabled(window->Control(ControlRole::CpuSelector)));
}

TEST_F(StationWindowTest, TheDebugButtonRunsTheDebugWindowOverTheMainWindow) {
  ASSERT_NO_FATAL_FAILURE(OpenWindow());
  std::vector<HWND> owners;
  ui.presenters.debugWindow = [&](HWND owner, Station& s) {
    EXPECT_EQ(&s, &station);
    owners.push_back(owner);
  };
  station.flags.abort.store(1);
  Click(ControlOf(Button::Debug).id);
  EXPECT_EQ(owners, std::vector<HWND>{window->Handle()});
  EXPECT_EQ(station.flags.abort.load(), 1) << "the debug button leaves the abort flag alone";
}

TEST_F(StationWindowTest, TheEndOfTheSessionWritesTheResultsLog) {
  ASSERT_NO_FATAL_FAILURE(OpenWindow());
  window->AddJournalLine(0, " Сеанс");
  ::SendMessageW(window->Handle(), WM_ENDSESSION, TRUE, 0);
  EXPECT_TRUE(window->Closed());
  EXPECT_NE(Cp1251ToUtf8(dir.Read(kResultsLogFileName)).find(" Сеанс"), std::string::npos);
}

}  // namespace
}  // namespace rz::testing
