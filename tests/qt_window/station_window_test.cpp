// The main window: the focus ring and the option keys, the commands that must
// not close it, refusals, the exit button and the window operations called
// from a worker thread.

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QAbstractItemModelTester>
#include <QTest>

#include <atomic>
#include <thread>

#include "app/controls.h"
#include "app/texts.h"
#include "gui_test_support.h"
#include "journal_view.h"
#include "posix/serial_posix.h"
#include "session/startup.h"

namespace rz::gui::test {
namespace {

QString Utf8(const char* text) { return QString::fromUtf8(text); }

// Runs `work` on a worker thread while the GUI thread keeps serving its
// blocking window calls.
template <typename Work>
void RunOnWorker(Work work) {
  std::atomic<bool> done{false};
  std::thread worker([&] {
    work();
    done = true;
  });
  while (!done) QTest::qWait(5);
  worker.join();
}

}  // namespace

class StationWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void tabWalksTheRingOfTwelveWithOneBeep() {
    StationRig rig;
    QVERIFY(rig.Show());
    QCOMPARE(rig.FocusIndex(), 1);
    QCOMPARE(rig.window->FocusedButton(), 1);
    for (int press = 1; press <= kButtons; ++press) {
      rig.Press(Qt::Key_Tab);
      const int expected = press % kButtons + 1;
      QCOMPARE(rig.FocusIndex(), expected);
      QCOMPARE(rig.window->FocusedButton(), expected);
      QCOMPARE(rig.sound.beeps.load(), press == kButtons ? 1 : 0);
    }
    // Shift+TAB walks back, wrapping from the first to the last with a beep.
    for (const int expected : {12, 11}) {
      rig.Press(Qt::Key_Backtab, Qt::ShiftModifier);
      QCOMPARE(rig.FocusIndex(), expected);
      QCOMPARE(rig.window->FocusedButton(), expected);
    }
    QCOMPARE(rig.sound.beeps.load(), 2);
  }

  void arrowsWrapAtBothEndsAndTheFocusFollows() {
    StationRig rig;
    QVERIFY(rig.Show());
    rig.Press(Qt::Key_Up);
    QCOMPARE(rig.FocusIndex(), 12);
    QCOMPARE(rig.sound.beeps.load(), 1);
    QTRY_COMPARE(rig.window->FocusedButton(), 12);

    rig.Press(Qt::Key_Down);
    QCOMPARE(rig.FocusIndex(), 1);
    QCOMPARE(rig.sound.beeps.load(), 2);
    QTRY_COMPARE(rig.window->FocusedButton(), 1);

    rig.Press(Qt::Key_Down);
    rig.Press(Qt::Key_Down);
    rig.Press(Qt::Key_Up);
    QCoreApplication::processEvents();
    QCOMPARE(rig.FocusIndex(), 2);
    QCOMPARE(rig.window->FocusedButton(), 2);
    QCOMPARE(rig.sound.beeps.load(), 2);

    for (int key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Right}) rig.Press(key);
    QCoreApplication::processEvents();
    QCOMPARE(rig.FocusIndex(), 2);
    QCOMPARE(rig.window->FocusedButton(), 2);
    QCOMPARE(rig.sound.beeps.load(), 2);
  }

  void keysMoveTheIndexWhileTheButtonsAreDisabled() {
    StationRig rig;
    QVERIFY(rig.Show());
    rig.Press(Qt::Key_Tab);
    rig.Press(Qt::Key_Tab);  // on button 3
    rig.window->FocusJournal();
    rig.window->SetOperationControlsEnabled(false);
    rig.Press(Qt::Key_Tab);
    rig.Press(Qt::Key_Down);
    rig.Press(Qt::Key_Up);
    QCOMPARE(rig.FocusIndex(), 4);
    QCOMPARE(rig.window->FocusedButton(), 0);
    // The worker's last steps: enable, then hand the focus back from the journal.
    RunOnWorker([&] {
      rz::EnableControls(rig.ui, true);
      rz::RestoreFocus(rig.ui, rig.station.flags.focusIndex.load());
    });
    QTRY_COMPARE(rig.window->FocusedButton(), 4);
  }

  void aDisabledFocusedButtonGetsTheFocusBack() {
    // The download button keeps the focus instead of handing it to the journal,
    // and nothing is posted for it at the end.
    StationRig rig;
    QVERIFY(rig.Show());
    RunOnWorker([&] {
      rz::EnableControls(rig.ui, false);
      rz::EnableControls(rig.ui, true);
      rz::RestoreFocus(rig.ui, 1);
    });
    QCoreApplication::processEvents();
    QCOMPARE(rig.window->FocusedButton(), 1);
  }

  void spaceOutsideTheExternalComTestIsSwallowed() {
    StationRig rig;
    QVERIFY(rig.Show());
    QSignalSpy clicked(rig.Button(1), &QPushButton::clicked);
    rig.Press(Qt::Key_Space);
    QCOMPARE(clicked.count(), 0);
    QCOMPARE(rig.station.flags.paramsRequest.load(), 0);
    QVERIFY(!rig.window->ParamsTimerActive());
    QVERIFY(!rig.station.runner.Busy());
  }

  void spaceDuringTheExternalComTestPausesItForTheParametersDialog() {
    StationRig rig;
    int dialogs = 0;
    rig.window->runTestParamsDialog = [&] {
      QCOMPARE(rig.station.flags.paramsRequest.load(), 1);
      ++dialogs;
    };
    QVERIFY(rig.Show());
    rig.window->FocusJournal();
    rig.station.flags.extComPhase = 1;
    rig.Press(Qt::Key_Space);
    QCOMPARE(rig.station.flags.paramsRequest.load(), 1);
    QVERIFY(rig.window->ParamsTimerActive());
    // Until the worker has paused the timer does nothing.
    QTest::qWait(450);
    QCOMPARE(dialogs, 0);
    QCOMPARE(rig.station.flags.paramsRequest.load(), 1);
    rig.station.flags.extComPhase = 2;
    QTRY_COMPARE(dialogs, 1);
    QCOMPARE(rig.station.flags.paramsRequest.load(), 0);
    QVERIFY(!rig.window->ParamsTimerActive());
  }

  void optionKeysToggleCaptionsAndNeverReachTheButton() {
    StationRig rig;
    QVERIFY(rig.Show());
    QPushButton* serviceCom = rig.Button(3);
    QPushButton* flash = rig.Button(5);
    QPushButton* fileToFlash = rig.Button(10);
    QCOMPARE(serviceCom->text(), Utf8(rz::text::kServiceComV7));
    QCOMPARE(flash->text(), Utf8(rz::text::kFlashTestOff));
    QCOMPARE(fileToFlash->text(), Utf8(rz::text::kFileToFlashRzi));
    QCOMPARE(rig.window->SoundLabel()->text(), QStringLiteral(" "));

    QSignalSpy clicked(rig.Button(1), &QPushButton::clicked);
    rig.Press(Qt::Key_C);
    QCOMPARE(serviceCom->text(), Utf8(rz::text::kServiceComV5));
    QCOMPARE(rig.sound.beeps.load(), 1);
    // Shift and the Russian layout do not matter: С (Cyrillic) is the C key.
    rig.PressLetter(0x0421, QStringLiteral("С"), Qt::ShiftModifier);
    QCOMPARE(serviceCom->text(), Utf8(rz::text::kServiceComV7));
    QCOMPARE(rig.station.flags.serviceComVariant.load(), 1);
    QCOMPARE(rig.sound.beeps.load(), 2);

    rig.Press(Qt::Key_F);
    QCOMPARE(flash->text(), Utf8(rz::text::kFlashTestOn));
    QCOMPARE(fileToFlash->text(), Utf8(rz::text::kFileToFlashAny));
    QCOMPARE(rig.station.flags.flashServiceMode.load(), 1);

    rig.Press(Qt::Key_S);
    QCOMPARE(rig.window->SoundLabel()->text(), Utf8(rz::text::kSoundLabel));
    QCOMPARE(rig.station.flags.soundOption.load(), 1);
    rig.Press(Qt::Key_S);
    QCOMPARE(rig.window->SoundLabel()->text(), QStringLiteral(" "));

    // Verification of writes over COM: off at start, М (Cyrillic) is the V key.
    QCOMPARE(rig.window->VerifyLabel()->text(), QStringLiteral(" "));
    rig.PressLetter(0x041C, QStringLiteral("М"), Qt::NoModifier);
    QCOMPARE(rig.window->VerifyLabel()->text(), Utf8(rz::text::kVerifyLabel));
    QCOMPARE(rig.station.flags.verifyWrites.load(), 1);
    rig.Press(Qt::Key_V);
    QCOMPARE(rig.window->VerifyLabel()->text(), QStringLiteral(" "));

    QCOMPARE(rig.sound.beeps.load(), 7);
    QCOMPARE(clicked.count(), 0);
    QCOMPARE(rig.FocusIndex(), 1);
    QCOMPARE(rig.window->FocusedButton(), 1);
  }

  void escapeAndCloseRequestsDoNotCloseTheWindow() {
    StationRig rig;
    QVERIFY(rig.Show());
    QVERIFY(!rig.window->close());
    QVERIFY(rig.window->isVisible());
    QCOMPARE(rig.station.flags.abort.load(), 0);

    rig.Press(Qt::Key_Escape);
    QVERIFY(rig.window->isVisible());
    QCOMPARE(rig.station.flags.abort.load(), 1);

    rig.Press(Qt::Key_F4, Qt::AltModifier);
    QVERIFY(rig.window->isVisible());
  }

  void enterWithNoButtonTakingItRaisesTheRunRequest() {
    StationRig rig;
    QVERIFY(rig.Show());
    QSignalSpy clicked(rig.Button(1), &QPushButton::clicked);
    rig.window->FocusJournal();
    rig.Press(Qt::Key_Return);
    QCOMPARE(rig.station.flags.runRequest.load(), 1);
    QCOMPARE(clicked.count(), 0);
    QVERIFY(rig.window->isVisible());
  }

  void flashTestRefusalsGoThroughTheMessageSeam() {
    StationRig rig;
    QVERIFY(rig.Show());
    rig.Button(5)->click();
    QCOMPARE(rig.messages.size(), std::size_t{1});
    QCOMPARE(rig.messages[0].box.caption, std::string(rz::text::kRefusalCaption));
    QCOMPARE(rig.messages[0].box.text, std::string(rz::text::kNotAvailable));
    QCOMPARE(rig.messages[0].owner, rig.window.get());

    rig.window->SetEthernetSwitch(true);  // as after switching on
    QVERIFY(rig.ui.EthernetSwitch());
    rig.Button(5)->click();
    QCOMPARE(rig.messages.size(), std::size_t{2});
    QCOMPARE(rig.messages[1].box.text, std::string(rz::text::kOnlyOverCom));
    QCOMPARE(rig.FocusIndex(), 5);
    QVERIFY(!rig.station.runner.Busy());
    QCOMPARE(rig.window->Journal().Count(), 0);
  }

  void exitWritesTheResultsLogThenCloses() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile program(dir.filePath(QString::fromUtf8(rz::kTestProgramFileName)));
    QVERIFY(program.open(QIODevice::WriteOnly));
    program.write("\x01\x02\x03\x04", 4);
    program.close();

    rz::PosixSerialBackend serial;
    StationRig rig(&serial);
    rig.station.portPaths.com1 = dir.filePath("no-such-tty").toStdString();
    rig.station.portPaths.com2 = rig.station.portPaths.com1;
    QVERIFY(rz::StartStation(rig.station, dir.path().toStdString()));
    QCOMPARE(rig.messages.size(), std::size_t{1});
    QCOMPARE(rig.messages[0].owner, nullptr);
    QCOMPARE(rig.messages[0].box.caption, std::string(rz::text::kErrorCaption));

    QVERIFY(rig.Show());
    QCOMPARE(rig.window->PortSelector()->currentText(), QStringLiteral("NONE"));
    rig.ui.AddJournalLine(0, " Проверка");
    rig.Button(12)->click();
    QVERIFY(!rig.window->isVisible());
    QCOMPARE(rig.window->result(), int(QDialog::Accepted));

    QFile log(dir.filePath(QString::fromUtf8(rz::kResultsLogFileName)));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray bytes = log.readAll();
    // CP1251: "== " then "Р" (0xD0); the journal line ends the file.
    QVERIFY(bytes.startsWith(QByteArray("== \xD0", 4)));
    QVERIFY(bytes.endsWith(QByteArray(" \xCF\xF0\xEE\xE2\xE5\xF0\xEA\xE0\r\n")));
    rz::StopStation(rig.station);
  }

  void theFocusIndexNamesTheFocusedButtonAfterMouseAndDialogPaths() {
    StationRig rig;
    QVERIFY(rig.Show());
    // Pressed with the mouse and released elsewhere: focused, but not clicked.
    QTest::mousePress(rig.Button(8), Qt::LeftButton);
    QTest::mouseRelease(rig.Button(8), Qt::LeftButton, {}, QPoint(-5, -5));
    QCOMPARE(rig.window->FocusedButton(), 8);
    QCOMPARE(rig.FocusIndex(), 8);

    // A refused address, then ESC in the address dialog: the switch stays
    // off and the focus where the index says.
    rig.ipAnswers = {std::string("10.00.0.1")};
    for (int attempt = 0; attempt < 2; ++attempt) {
      QTest::mouseClick(rig.window->EthernetSwitchBox(), Qt::LeftButton);
      QVERIFY(!rig.window->EthernetSwitch());
      QCOMPARE(rig.window->FocusedButton(), 8);
      QCOMPARE(rig.FocusIndex(), 8);
    }
    QCOMPARE(rig.messages.size(), std::size_t{1});
    QCOMPARE(rig.ipShown.size(), std::size_t{2});
    rig.Press(Qt::Key_Tab);
    QCOMPARE(rig.window->FocusedButton(), 9);
    QCOMPARE(rig.FocusIndex(), 9);
    QCOMPARE(rig.sound.beeps.load(), 0);
  }

  void journalShowsWholeLinesAppendedOrReplaced() {
    StationRig rig;
    QVERIFY(rig.Show());
    JournalView* view = rig.window->JournalView();
    const int designWidth = view->columnWidth(0);
    const std::string shortLine = " Проверка";
    const std::string longLine = " == Чтение 300000 байт в <" + std::string(100, 'x') + "> по Ethernet ==";
    for (const bool replace : {false, true}) {
      const std::string line = replace ? longLine + longLine : longLine;
      rig.ui.AddJournalLine(0, replace ? shortLine : line);
      if (replace) rig.ui.SetJournalLine(rig.ui.JournalLineCount() - 1, line);
      QTRY_COMPARE(rig.window->Journal().PublishedCount(), rig.ui.JournalLineCount());
      QVERIFY(view->columnWidth(0) > view->fontMetrics().horizontalAdvance(QString::fromStdString(line)));
      QVERIFY(view->horizontalScrollBar()->maximum() > 0);
    }
    QVERIFY(view->columnWidth(0) > designWidth);
  }

  void theCpuSelectorStaysDisabledAt90MHz() {
    StationRig rig;
    QVERIFY(rig.Show());
    RunOnWorker([&] {
      rz::EnableControls(rig.ui, false);
      rig.ui.SetSelectorIndex(rz::Selector::CpuClock, rz::kCpuEntry90);
      rz::EnableControls(rig.ui, true);
    });
    QVERIFY(!rig.window->CpuSelector()->isEnabled());
    for (int i = 1; i <= kButtons; ++i) QVERIFY(rig.Button(i)->isEnabled());
    QVERIFY(rig.window->PortSelector()->isEnabled());
    QVERIFY(rig.window->EthernetSwitchBox()->isEnabled());

    rig.ui.SetSelectorIndex(rz::Selector::CpuClock, rz::kCpuEntry74);
    rz::EnableControls(rig.ui, true);
    QVERIFY(rig.window->CpuSelector()->isEnabled());
    // Setting a selector from the program starts nothing.
    rig.ui.SetSelectorIndex(rz::Selector::Port, rz::kPortEntryCom2);
    QVERIFY(!rig.station.runner.Busy());
    QCOMPARE(rig.sound.beeps.load(), 0);
    QCOMPARE(rig.window->Journal().Count(), 0);
  }

  void choosingAPortStartsTheReselection() {
    StationRig rig;
    QVERIFY(rig.Show());
    QComboBox* port = rig.window->PortSelector();
    port->setCurrentIndex(rz::kPortEntryCom2);
    emit port->activated(rz::kPortEntryCom2);
    QCOMPARE(rig.sound.beeps.load(), 1);
    QTRY_VERIFY(!rig.station.runner.Busy());
    QCOMPARE(port->currentIndex(), rz::kPortEntryNone);
    QCOMPARE(rig.window->Journal().Lines().Lines().back(), std::string(rz::text::kNoPort));
    QCOMPARE(rig.messages.size(), std::size_t{1});
  }

  void journalLinesFromAWorkerReachTheView() {
    StationRig rig;
    QVERIFY(rig.Show());
    constexpr int kLines = 500;
    int countSeenByWorker = 0;
    std::string lastSeenByWorker;
    RunOnWorker([&] {
      for (int i = 0; i < kLines; ++i) rig.ui.AddJournalLine(0, " line " + std::to_string(i));
      rig.ui.AddJournalLine(-1, " Загрузка программы: 100%");
      rig.ui.AddJournalLine(1, " past the end");
      rig.ui.SetJournalLine(0, " first");
      countSeenByWorker = rig.ui.JournalLineCount();
      lastSeenByWorker = rig.ui.JournalLineText(kLines - 1);
    });
    QCOMPARE(countSeenByWorker, kLines);
    QCOMPARE(lastSeenByWorker, std::string(" Загрузка программы: 100%"));
    QTableView* view = rig.window->JournalView();
    QTRY_COMPARE(view->model()->rowCount(), kLines);
    QCOMPARE(view->model()->index(kLines - 1, 0).data().toString(),
             QStringLiteral(" Загрузка программы: 100%"));
    QCOMPARE(view->model()->index(0, 0).data().toString(), QStringLiteral(" first"));
    // SetJournalLine(0) scrolled the first line into view.
    QCOMPARE(view->verticalScrollBar()->value(), 0);
    rig.ui.AddJournalLine(0, " last");
    QTRY_COMPARE(view->model()->rowCount(), kLines + 1);
    QCOMPARE(view->verticalScrollBar()->value(), view->verticalScrollBar()->maximum());
  }

  void journalModelKeepsViewsConsistentAcrossBatches() {
    JournalModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    auto text = [&model](int row) { return model.index(row, 0).data().toString(); };
    model.Add(0, " a");
    model.Add(0, " b");
    model.Add(-1, " b2");  // replaces a line the views have not seen yet
    QCOMPARE(model.Count(), 2);
    QCOMPARE(model.rowCount(), 0);
    // Inserting and deleting tell the views of the waiting lines first.
    QVERIFY(model.Insert(1, " between"));
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(text(2), QStringLiteral(" b2"));
    model.Add(0, " c");
    QVERIFY(model.Erase(0));
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(text(0), QStringLiteral(" between"));
    QCOMPARE(text(2), QStringLiteral(" c"));
    QVERIFY(!model.Erase(3));
    QVERIFY(!model.Insert(5, " far"));
    QCOMPARE(model.Add(2, " past the end"), -1);
    model.Add(0, " d");
    QTRY_COMPARE(model.rowCount(), 4);
    QCOMPARE(text(3), QStringLiteral(" d"));
  }
};

int RunStationWindowTests(int argc, char** argv) {
  StationWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace rz::gui::test

#include "station_window_test.moc"
