#include <gtest/gtest.h>

#include <atomic>
#include <future>

#include "app/texts.h"
#include "app/worker_frame.h"
#include "operations/control_handlers.h"
#include "operations/operation_table.h"
#include "operations/port_reselect.h"
#include "station_fixture.h"

namespace rz::testing {
namespace {

TEST(JournalLines, ModesReplaceCountingFromTheEnd) {
  JournalLines journal;
  EXPECT_EQ(journal.Add(-1, "x"), -1);  // empty journal: nothing to replace
  EXPECT_EQ(journal.Count(), 0);
  journal.Add(0, "a");
  journal.Add(0, "b");
  journal.Add(0, "c");
  EXPECT_EQ(journal.Add(1, "past the end"), -1);
  EXPECT_EQ(journal.Add(-4, "before the start"), -1);
  EXPECT_EQ(journal.Add(-2, "B"), 1);
  EXPECT_EQ(journal.Add(-1, "C"), 2);
  EXPECT_EQ(journal.Lines(), (std::vector<std::string>{"a", "B", "C"}));
  EXPECT_FALSE(journal.Set(3, "no"));
  EXPECT_TRUE(journal.Insert(0, "first"));
  EXPECT_TRUE(journal.Erase(3));
  EXPECT_EQ(journal.Lines(), (std::vector<std::string>{"first", "a", "B"}));
  EXPECT_EQ(journal.Text(17), "");
}

TEST(WindowOperations, CpuSelectorStaysDisabledAwayFromItsFirstEntry) {
  RecordingUi ui;
  ui.cpuIndex = kCpuEntry90;
  EnableControls(ui, true);
  EXPECT_TRUE(ui.controlsEnabled);
  EXPECT_FALSE(ui.cpuEnabled);
  ui.cpuIndex = kCpuEntry74;
  EnableControls(ui, true);
  EXPECT_TRUE(ui.cpuEnabled);
  EnableControls(ui, false);
  EXPECT_FALSE(ui.cpuEnabled);
  EXPECT_FALSE(ui.controlsEnabled);
}

TEST(WindowOperations, RestoreFocusPostsOneRequestPerTabStop) {
  RecordingUi ui;
  RestoreFocus(ui, 0);
  RestoreFocus(ui, 1);
  EXPECT_TRUE(ui.nextControlRequests.empty());
  RestoreFocus(ui, 12);
  RestoreFocus(ui, 2);
  EXPECT_EQ(ui.nextControlRequests, (std::vector<int>{12, 2}));
}

TEST(Sound, EndSignalIsSixTonesEndingOn1000HzOnlyWithTheOptionOn) {
  RecordingSound sound;
  PlayEndSignal(sound, 0);
  PlayEndSignal(sound, 2);
  EXPECT_TRUE(sound.Tones().empty());
  PlayEndSignal(sound, 1);
  using Tone = RecordingSound::Tone;
  EXPECT_EQ(sound.Tones(), (std::vector<Tone>{{1500, 150, true},
                                              {1000, 150, true},
                                              {1500, 150, true},
                                              {1000, 150, true},
                                              {1500, 150, true},
                                              {1000, 150, true}}));
  ConfirmationBeep(sound);
  EXPECT_EQ(sound.Tones().back(), (Tone{1000, 30, false}));
}

TEST(OperationRunner, RefusesASecondStartWhileOneRuns) {
  OperationRunner runner;
  std::promise<void> release;
  auto released = release.get_future().share();
  std::atomic<int> runs{0};
  using Status = OperationRunner::StartStatus;
  ASSERT_EQ(runner.Start([&] {
    ++runs;
    released.wait();
    return Outcome::Aborted;
  }), Status::Started);
  EXPECT_TRUE(runner.Busy());
  EXPECT_EQ(runner.Start([&] {
    ++runs;
    return Outcome::Success;
  }), Status::Busy);
  release.set_value();
  EXPECT_EQ(runner.Wait(), Outcome::Aborted);
  EXPECT_FALSE(runner.Busy());
  EXPECT_EQ(runner.Start([&] {
    ++runs;
    return Outcome::Success;
  }), Status::Started);
  EXPECT_EQ(runner.Wait(), Outcome::Success);
  EXPECT_EQ(runs.load(), 2);
}

class ButtonTest : public ScriptedStation {
 protected:
  void SetUp() override { StartWithProgram(2048); }
};

TEST_F(ButtonTest, EscBeforeAnOperationDoesNotStopIt) {
  station.flags.RequestAbort();  // ESC while idle
  ui.cpuIndex = kCpuEntry90;
  // The answer only comes once the worker has been waiting a while; an abort
  // flag left over from the idle ESC would have ended that wait.
  port->onRead = [this](int number) {
    if (number == 20) port->Feed({'Q'});
  };
  EXPECT_EQ(OnCpuSelectorChanged(station), StartResult::Started);
  EXPECT_EQ(station.runner.Wait(), Outcome::Success);
  EXPECT_EQ(ui.Lines().back(), text::kDone);
  EXPECT_EQ(sound.Tones().size(), 1u);  // the selector's beep
  EXPECT_EQ(ui.journalFocused, 1);
}

TEST_F(ButtonTest, RefusalsAndTheirMessages) {
  ui.ethernet = true;
  EXPECT_EQ(PressButton(station, Button::Configuration), StartResult::Refused);
  EXPECT_EQ(PressButton(station, Button::Flash), StartResult::Refused);
  ui.ethernet = false;
  EXPECT_EQ(PressButton(station, Button::Flash), StartResult::Refused);
  ASSERT_EQ(ui.messages.size(), 3u);
  EXPECT_EQ(ui.messages[0].caption, " Ошибка");
  EXPECT_EQ(ui.messages[0].text, "Функция работает только по COM");
  EXPECT_EQ(ui.messages[1].text, "Функция работает только по COM");
  EXPECT_EQ(ui.messages[2].text, "Функция недоступна");
  EXPECT_TRUE(ui.Lines().empty());
  EXPECT_EQ(ui.journalFocused, 0);
  // In the Flash service mode the test starts (and ends at ESC on this silent port).
  station.flags.flashServiceMode = 1;
  EXPECT_EQ(PressButton(station, Button::Flash), StartResult::Started);
  while (station.runner.Busy()) station.flags.RequestAbort();
  EXPECT_EQ(station.runner.Wait(), Outcome::Aborted);
  EXPECT_EQ(ui.messages.size(), 3u);
}

TEST_F(ButtonTest, SecondStartWhileOneRunsIsRefusedWithoutTouchingItsAbortFlag) {
  // The board is silent: the readout waits until ESC.
  ASSERT_EQ(PressButton(station, Button::Configuration), StartResult::Started);
  EXPECT_EQ(station.flags.focusIndex.load(), 2);
  station.flags.RequestAbort();
  EXPECT_EQ(PressButton(station, Button::Download), StartResult::Busy);
  EXPECT_EQ(OnPortSelectorChanged(station), StartResult::Busy);
  EXPECT_EQ(station.flags.focusIndex.load(), 2);
  // Keep pressing ESC until every section gave up.
  while (station.runner.Busy()) station.flags.RequestAbort();
  EXPECT_EQ(station.runner.Wait(), Outcome::Failed);
  EXPECT_EQ(ui.nextControlRequests.back(), 2);
}

TEST_F(ButtonTest, DownloadButtonPutsTheClockSelectorBackOn74) {
  ui.cpuIndex = kCpuEntry90;
  ui.cpuEnabled = false;
  PressResetWhenWaiting(port);
  port->onWrite = [this](const std::vector<std::uint8_t>& written) {
    if (written.size() == 2048) port->Feed({'>'});
    if (written.size() == 2053) port->Feed({'F'});
  };
  ASSERT_EQ(PressButton(station, Button::Download), StartResult::Started);
  EXPECT_EQ(station.runner.Wait(), Outcome::Success);
  EXPECT_EQ(ui.cpuIndex, kCpuEntry74);
  EXPECT_TRUE(ui.cpuEnabled);
  EXPECT_EQ(ui.journalFocused, 0);  // the download leaves the focus on its button
  EXPECT_TRUE(ui.nextControlRequests.empty());
}

TEST_F(ButtonTest, PortReselection) {
  // "NONE": an empty line and the no-port line; reads then fail at once.
  ui.portIndex = kPortEntryNone;
  EXPECT_EQ(ReselectPort(station), Outcome::Success);
  EXPECT_EQ(station.Port(), nullptr);
  EXPECT_EQ(ui.Lines(), (std::vector<std::string>{"", text::kNoPort}));

  // A missing COM2: the message box, the selector falls back to "NONE".
  ui.journal.Clear();
  ui.portIndex = kPortEntryCom2;
  EXPECT_EQ(ReselectPort(station), Outcome::Failed);
  EXPECT_EQ(ui.portIndex, kPortEntryNone);
  EXPECT_EQ(ui.Lines(), (std::vector<std::string>{"", text::kCom2Failed, text::kNoPort}));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].caption, "Ошибка");
  EXPECT_EQ(ui.messages[0].text, "Ошибка открытия <COM2>");

  // COM1 again, at the standard settings.
  ui.journal.Clear();
  ui.portIndex = kPortEntryCom1;
  station.flags.RequestAbort();
  EXPECT_EQ(ReselectPort(station), Outcome::Success);
  ASSERT_NE(station.Port(), nullptr);
  EXPECT_EQ(port->settings.back().baud, 115200u);
  EXPECT_EQ(ui.Lines(), (std::vector<std::string>{"", text::kCom1Opened}));
  // The reselection leaves the status line and the abort flag alone.
  EXPECT_EQ(station.flags.abort.load(), 1);
  EXPECT_EQ(ui.status, "");
}

TEST_F(ButtonTest, EveryWayOutOfAWorkerClosesItsFrame) {
  // A worker that leaves early, with ESC pressed, still enables the controls,
  // gives the focus back, restores the hint and clears the abort flag.
  const OperationFn leavesEarly = [](Station& s) {
    const WorkerFrame frame(s.Ui(), s.flags);
    s.flags.RequestAbort();
    if (s.flags.AbortRequested()) return Outcome::Aborted;
    return Outcome::Success;
  };
  station.flags.focusIndex.store(4);
  EXPECT_EQ(StartWorker(station, leavesEarly), StartResult::Started);
  EXPECT_EQ(AwaitOutcome(station, "early return"), Outcome::Aborted);
  EXPECT_EQ(ui.enableCalls, (std::vector<bool>{false, true}));
  EXPECT_EQ(ui.status, text::kStatusIdle);
  EXPECT_EQ(ui.nextControlRequests, (std::vector<int>{4}));
  EXPECT_EQ(station.flags.abort.load(), 0);

  // Steps left out stay as they were.
  ui.status.clear();
  const OperationFn keepsAbort = [](Station& s) {
    const WorkerFrame frame(s.Ui(), s.flags, {.showAbortHint = false, .restoreIdleHint = false, .clearAbort = false});
    s.flags.RequestAbort();
    return Outcome::Failed;
  };
  EXPECT_EQ(StartWorker(station, keepsAbort), StartResult::Started);
  EXPECT_EQ(AwaitOutcome(station, "frame without its closing steps"), Outcome::Failed);
  EXPECT_EQ(ui.status, "");
  EXPECT_EQ(station.flags.abort.load(), 1);
  EXPECT_TRUE(ui.controlsEnabled);
}

TEST(Startup, MissingTestProgramIsReportedAndStopsTheStart) {
  TempDir dir;
  RecordingUi ui;
  RecordingSound sound;
  ScriptedSerialBackend backend;
  Station station(ui, sound, backend);
  EXPECT_FALSE(StartStation(station, dir.Path()));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].caption, "Ошибка");
  EXPECT_EQ(ui.messages[0].text, "Ошибка открытия файла <tst7312v26.bin>");
  // The folder searched, then the system's own reason (its wording differs between systems).
  const std::string searched = "искали в " + dir.Path();
  const std::string& details = ui.messages[0].details;
  ASSERT_GT(details.size(), searched.size() + 3) << details;
  EXPECT_EQ(details.substr(0, searched.size()), searched) << details;
  EXPECT_NE(std::string("/\\").find(details[searched.size()]), std::string::npos) << details;
  EXPECT_EQ(details.substr(searched.size() + 1, 2), ": ") << details;
  EXPECT_FALSE(ui.messages[0].ownedByWindow);

  // With the file but without COM1 the station starts, with no port.
  dir.Write(kTestProgramFileName, {1, 2, 3});
  EXPECT_TRUE(StartStation(station, dir.Path()));
  EXPECT_EQ(station.Port(), nullptr);
  EXPECT_EQ(ui.messages.back().text, "Ошибка открытия <COM1>");
  EXPECT_EQ(station.workDir, dir.Path() + "/");

  // A COM1 that refuses the line settings is not taken either, and says why.
  station.portPaths.com1 = "refusing";
  backend.Add("refusing")->refusedBaud = 115200;
  EXPECT_TRUE(StartStation(station, dir.Path()));
  EXPECT_EQ(station.Port(), nullptr);
  EXPECT_EQ(ui.messages.back().details, "refusing: line speed refused");
}

}  // namespace
}  // namespace rz::testing
