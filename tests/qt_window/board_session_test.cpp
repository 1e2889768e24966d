// The window driving real operations against the simulated board: the worker's
// window calls, the focus hand-back and the status line in one session.

#include <QComboBox>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>

#include "app/texts.h"
#include "child_process.h"
#include "gui_test_support.h"
#include "posix/serial_posix.h"
#include "session/startup.h"
#include "simulated_board.h"

namespace rz::gui::test {

class BoardSessionTest : public QObject {
  Q_OBJECT

 private slots:
  void downloadThenConfigurationFromTheKeyboard() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    {
      std::ofstream program(dir.filePath(QString::fromUtf8(rz::kTestProgramFileName)).toStdString(),
                            std::ios::binary);
      program << std::string(4096, '\x5A');
    }
    rz::testing::SimulatedBoard board(dir.filePath("COM1").toStdString());
    rz::PosixSerialBackend serial;
    StationRig rig(&serial);
    rig.station.portPaths.com1 = board.Link();
    QVERIFY(rz::StartStation(rig.station, dir.path().toStdString()));
    QVERIFY(rig.messages.empty());
    QVERIFY(rig.Show());
    QCOMPARE(rig.window->PortSelector()->currentText(), QStringLiteral("COM1"));

    rig.Press(Qt::Key_Return);  // the focused download button takes ENTER
    QTRY_VERIFY_WITH_TIMEOUT(!rig.station.runner.Busy(), 20000);
    QCOMPARE(rig.window->Journal().Lines().Lines().back(), std::string(rz::text::kBoardReady));
    QCOMPARE(rig.window->StatusLine()->text(), QString::fromUtf8(rz::text::kStatusIdle));
    QVERIFY(rig.Button(1)->isEnabled());
    QVERIFY(rig.window->CpuSelector()->isEnabled());
    QTRY_COMPARE(rig.window->FocusedButton(), 1);
    QCOMPARE(rig.station.flags.runRequest.load(), 0);

    const int linesBefore = rig.window->Journal().Count();
    rig.Press(Qt::Key_Tab);
    rig.Press(Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(!rig.station.runner.Busy(), 20000);
    QVERIFY(rig.window->Journal().Count() > linesBefore);
    QCOMPARE(rig.window->Journal().Text(linesBefore + 1), std::string(rz::text::kCpuHeading));
    // The configuration readout handed the focus to the journal and back.
    QTRY_COMPARE(rig.window->FocusedButton(), 2);
    QCOMPARE(rig.FocusIndex(), 2);
    QVERIFY(rig.messages.empty());
    rz::StopStation(rig.station);
  }

  // The service COM button runs the variant chosen with C; the Ethernet test
  // button runs its test; both give the focus back to their button.
  void boardTestButtonsRunTheirTests() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    {
      std::ofstream program(dir.filePath(QString::fromUtf8(rz::kTestProgramFileName)).toStdString(),
                            std::ios::binary);
      program << std::string(4096, '\x5A');
    }
    rz::testing::SimulatedBoard board(dir.filePath("COM1").toStdString(), {"--service-status", "0x10"});
    rz::PosixSerialBackend serial;
    StationRig rig(&serial);
    rig.station.portPaths.com1 = board.Link();
    QVERIFY(rz::StartStation(rig.station, dir.path().toStdString()));
    QVERIFY(rig.Show());
    rig.Press(Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(!rig.station.runner.Busy(), 20000);

    rig.Press(Qt::Key_C);  // v5
    rig.Button(3)->click();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.station.runner.Busy(), 20000);
    const auto& lines = rig.window->Journal().Lines().Lines();
    QCOMPARE(std::vector<std::string>(lines.end() - 3, lines.end()),
             (std::vector<std::string>{" RTS->CTS,DCD: OK", " DTR->DSR,RI: NC", rz::text::kAborted}));
    QTRY_COMPARE(rig.window->FocusedButton(), 3);

    rig.Button(6)->click();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.station.runner.Busy(), 20000);
    QCOMPARE(rig.window->Journal().Lines().Lines().back(), std::string(" Тестирование завершено успешно."));
    QTRY_COMPARE(rig.window->FocusedButton(), 6);
    QCOMPARE(rig.window->StatusLine()->text(), QString::fromUtf8(rz::text::kStatusIdle));
    QVERIFY(rig.messages.empty());
    rz::StopStation(rig.station);
  }
};

int RunBoardSessionTests(int argc, char** argv) {
  BoardSessionTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace rz::gui::test

#include "board_session_test.moc"
