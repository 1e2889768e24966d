#pragma once

// The native main window in the test's own process, with no display (Wine's
// null graphics driver): created modeless and driven by messages that go
// through the window's own dispatch (key filter, dialog manager), as its
// message loop would send them.

#include "windows_api.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/controls.h"
#include "board_fixture.h"
#include "control_text.h"
#include "list_view_journal.h"
#include "operations/station.h"
#include "station_dlg.h"
#include "win32/win32_text.h"
#include "win32_station_ui.h"

namespace rz::testing {

// A message box the window showed, with the window it belonged to.
struct ShownMessage {
  MessageBox box;
  HWND owner;
};

class StationWindowTest : public BasicBoardStationTest<win32::Win32StationUi> {
 protected:
  void SetUp() override {
    // Only the COM ports the Wine driver maps into its own folder.
    station.portPaths = {"COM1", "COM2"};
    ui.presenters.error = [this](const MessageBox& box, HWND owner) { messages.push_back({box, owner}); };
    ui.presenters.testParams = [this](HWND, ExtComParams&) { ++testParamsDialogs; };
  }
  void TearDown() override {
    // An operation still running is stopped while its window calls are served.
    if (station.runner.Busy()) {
      station.flags.RequestAbort();
      PumpUntil([this] { return !station.runner.Busy(); });
    }
  }

  // Creates and shows the window over a station started in the test's folder
  // (with a test program, COM1 and COM2 leading to no board unless one was
  // started) and gives it the keyboard focus.
  void OpenWindow() {
    if (!station.testProgram.IsOpen()) {
      dir.Write(kTestProgramFileName, TestProgramBytes(2048));
      ASSERT_TRUE(StartStation(station, dir.Path()));
    }
    window = std::make_unique<win32::CStationDlg>(station, ui);
    ASSERT_TRUE(window->Create());
    ::SetForegroundWindow(window->Handle());
    ::SetFocus(window->Button(1));
    Pump();
  }
  // Starts the board on COM1 and the station on it, then opens the window.
  void OpenWindowOnBoard(std::vector<std::string> options = {}) {
    ASSERT_NO_FATAL_FAILURE(StartBoardAndStationWithUdp(std::move(options)));
    ASSERT_NO_FATAL_FAILURE(OpenWindow());
  }

  // Handles every queued message as the window's loop does.
  void Pump() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) window->Dispatch(message);
  }
  // Pumps until `done` holds, at most `limit`; false when it never did.
  bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
      if (std::chrono::steady_clock::now() > end) return false;
      Pump();
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    Pump();
    return true;
  }
  // Waits (serving the window) for the running operation to end; its outcome.
  Outcome AwaitOperation(std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    if (!PumpUntil([this] { return !station.runner.Busy(); }, limit)) {
      ADD_FAILURE() << "the operation still runs after " << limit.count() << " ms";
      station.flags.RequestAbort();
      PumpUntil([this] { return !station.runner.Busy(); });
    }
    const Outcome outcome = station.runner.Wait().value_or(Outcome::Failed);
    Pump();  // the next-control requests the worker posted last
    return outcome;
  }

  // A key pressed on the control that has the focus (the window when none has).
  void PressKey(WPARAM virtualKey) {
    const HWND focus = ::GetFocus();
    ::PostMessageW(focus != nullptr ? focus : window->Handle(), WM_KEYDOWN, virtualKey, 1);
    Pump();
  }
  void Click(int id) {
    ::SendMessageW(window->Control(id), BM_CLICK, 0, 0);
    Pump();
  }

  std::string TextOf(int id) const { return win32::WindowTextUtf8(window->Control(id)); }
  // The journal as the list view holds it (read back with LVM_GETITEMTEXTW).
  std::vector<std::string> ListedJournal() const {
    const HWND list = window->Control(ControlRole::Journal);
    std::vector<std::string> lines;
    for (int i = 0; i < win32::JournalLineCount(list); ++i) lines.push_back(win32::JournalLineText(list, i));
    return lines;
  }
  int BeepCount() {
    int beeps = 0;
    for (const auto& tone : sound.Tones()) beeps += tone.hertz == kBeepHertz && tone.milliseconds == kBeepMilliseconds;
    return beeps;
  }

  std::unique_ptr<win32::CStationDlg> window;
  std::vector<ShownMessage> messages;
  int testParamsDialogs = 0;
};

}  // namespace rz::testing
