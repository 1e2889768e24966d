// The external channel test in the window: the parameters dialog on its own,
// and SPACE pausing a test that runs against the simulated board.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fstream>

#include "app/controls.h"
#include "app/texts.h"
#include "boardtests/external_com_table.h"
#include "boardtests/external_com_texts.h"
#include "child_process.h"
#include "gui_test_support.h"
#include "operations/control_handlers.h"
#include "posix/serial_posix.h"
#include "session/startup.h"
#include "simulated_board.h"
#include "test_params_dlg.h"

namespace rz::gui::test {
namespace {

void TypeInto(QLineEdit* edit, const QString& text) {
  edit->setFocus();
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Backspace);
  QTest::keyClicks(edit, text);
}

// The parameters dialog open on the screen, or nullptr.
CTestParamsDlg* OpenParamsDialog() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* dialog = qobject_cast<CTestParamsDlg*>(widget); dialog != nullptr && dialog->isVisible()) {
      return dialog;
    }
  }
  return nullptr;
}

}  // namespace

class ExtComWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void dialogOpensOnTheCurrentParameters() {
    rz::ExtComParams params;
    params.speedCode = 5;
    params.fifoMode = 1;
    params.irqFlag = 1;
    params.blockSize = 100;
    params.lineMode = 2;
    params.codePattern = 1;
    params.channelCount = 32;
    CTestParamsDlg dialog(params);
    QCOMPARE(dialog.windowTitle(), QString::fromUtf8(rz::text::kParamsCaption));
    QCOMPARE(dialog.SpeedList()->currentText(), QStringLiteral("9600"));
    QCOMPARE(dialog.FifoList()->currentIndex(), 1);
    QCOMPARE(dialog.FifoList()->count(), 4);
    QCOMPARE(dialog.BlockEdit()->text(), QStringLiteral("100"));
    QCOMPARE(dialog.BlockEdit()->maxLength(), 4);
    QCOMPARE(dialog.LineList()->currentText(), QString::fromUtf8("CL20-блокировка <эхо>"));
    QCOMPARE(dialog.CodeBox()->currentText(), QStringLiteral("FF-00-FF"));
    QCOMPARE(dialog.ChannelsBox()->currentText(), QStringLiteral("32"));
    QVERIFY(dialog.OkButton()->isDefault());
    // Every label is shown whole.
    for (QLabel* label : dialog.findChildren<QLabel*>()) QVERIFY(label->width() >= label->sizeHint().width());
  }

  void okStoresWithTheCapsAndTypedText_data() {
    QTest::addColumn<int>("fifo");
    QTest::addColumn<QString>("typedBlock");
    QTest::addColumn<QString>("typedCode");
    QTest::addColumn<QString>("typedChannels");
    QTest::addColumn<int>("block");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("channels");
    QTest::newRow("5000 in byte mode") << 0 << "5000" << "" << "" << 1024 << 0 << 16;
    QTest::newRow("5000 in parallel FIFO mode") << 3 << "5000" << "" << "" << 2048 << 0 << 16;
    QTest::newRow("letters are refused, four digits kept") << 3 << "12ab345" << "" << "" << 1234 << 0 << 16;
    QTest::newRow("typed text in the two boxes") << 2 << "64" << "0-1-2-3" << "16" << 64 << -1 << 32;
    QTest::newRow("empty edit") << 1 << "" << "anything" << "" << 0 << -1 << 16;
  }

  void okStoresWithTheCapsAndTypedText() {
    QFETCH(int, fifo);
    QFETCH(QString, typedBlock);
    QFETCH(QString, typedCode);
    QFETCH(QString, typedChannels);
    rz::ExtComParams params;
    CTestParamsDlg dialog(params);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.FifoList()->setCurrentIndex(fifo);
    TypeInto(dialog.BlockEdit(), typedBlock);
    if (!typedCode.isEmpty()) TypeInto(dialog.CodeBox()->lineEdit(), typedCode);
    if (!typedChannels.isEmpty()) TypeInto(dialog.ChannelsBox()->lineEdit(), typedChannels);
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(params.fifoMode, fifo);
    QCOMPARE(params.irqFlag, fifo == 1 || fifo == 3 ? 1 : 0);
    QTEST(params.blockSize, "block");
    QTEST(params.codePattern, "code");
    QTEST(params.channelCount, "channels");
    QCOMPARE(params.speedCode, std::uint8_t{3});
    QCOMPARE(params.lineMode, 4);
  }

  void cancelStoresNothing() {
    rz::ExtComParams params;
    CTestParamsDlg dialog(params);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.SpeedList()->setCurrentIndex(0);
    dialog.FifoList()->setCurrentIndex(3);
    TypeInto(dialog.BlockEdit(), QStringLiteral("12"));
    TypeInto(dialog.ChannelsBox()->lineEdit(), QStringLiteral("7"));
    QTest::keyClick(dialog.BlockEdit(), Qt::Key_Escape);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(params == rz::ExtComParams{});
  }

  void spaceThenEscBeforeThePauseLeavesTheTimerHarmless() {
    StationRig rig;
    int dialogs = 0;
    rig.window->runTestParamsDialog = [&] { ++dialogs; };
    QVERIFY(rig.Show());
    rig.window->FocusJournal();
    rig.station.flags.extComPhase = 1;
    rig.Press(Qt::Key_Space);
    // ESC ended the test before its worker paused: the phase is back at 0.
    rig.station.flags.extComPhase = 0;
    QTest::qWait(450);
    QCOMPARE(dialogs, 0);
    QVERIFY(rig.window->ParamsTimerActive());
    QCOMPARE(rig.station.flags.paramsRequest.load(), 1);
    // The next external COM test clears the request before it starts (here
    // without a port it waits for the board until ESC).
    QTest::mouseClick(rig.Button(static_cast<int>(rz::Button::ExternalCom)), Qt::LeftButton);
    QCOMPARE(rig.station.flags.paramsRequest.load(), 0);
    QTRY_COMPARE(rig.station.flags.extComPhase.load(), std::uint8_t{1});
    rig.Press(Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(!rig.station.runner.Busy(), 5000);
    QCOMPARE(dialogs, 0);
    QCOMPARE(rig.window->Journal().Count(), 20);
  }

  void spacePausesTheRunningTestAndTheDialogResumesIt() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    {
      std::ofstream program(dir.filePath(QString::fromUtf8(rz::kTestProgramFileName)).toStdString(),
                            std::ios::binary);
      program << std::string(2048, '\x5A');
    }
    rz::testing::SimulatedBoard board(dir.filePath("COM1").toStdString(), {"--ext-status", "3:0x01"});
    rz::PosixSerialBackend serial;
    StationRig rig(&serial);
    rig.station.portPaths.com1 = board.Link();
    QVERIFY(rz::StartStation(rig.station, dir.path().toStdString()));
    QVERIFY(rig.Show());
    QCOMPARE(rz::PressButton(rig.station, rz::Button::Download), rz::StartResult::Started);
    QTRY_VERIFY_WITH_TIMEOUT(!rig.station.runner.Busy(), 20000);
    // The table's pauses need not be waited for in full.
    rig.station.sleeper = [](std::chrono::milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(1)); };

    const int base = rig.window->Journal().Count();
    QTest::mouseClick(rig.Button(static_cast<int>(rz::Button::ExternalCom)), Qt::LeftButton);
    QTRY_COMPARE(rig.station.flags.extComPhase.load(), std::uint8_t{1});
    QCOMPARE(rig.window->StatusLine()->text(), QString::fromUtf8(rz::text::kStatusExtCom));
    QTRY_VERIFY(rig.window->Journal().Text(base + 4 + 3).find("ER") != std::string::npos);

    // The dialog runs modally from the window's timer: drive it from inside.
    bool sawCurrentValues = false;
    QTimer operatorAtTheDialog;
    connect(&operatorAtTheDialog, &QTimer::timeout, [&] {
      CTestParamsDlg* dialog = OpenParamsDialog();
      if (dialog == nullptr) return;
      operatorAtTheDialog.stop();
      QCOMPARE(rig.station.flags.extComPhase.load(), std::uint8_t{2});
      sawCurrentValues = dialog->ChannelsBox()->currentText() == QStringLiteral("16") &&
                         dialog->FifoList()->currentIndex() == 0;
      dialog->ChannelsBox()->setCurrentIndex(1);
      dialog->FifoList()->setCurrentIndex(2);
      QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
    });
    operatorAtTheDialog.start(20);
    rig.Press(Qt::Key_Space);
    QCOMPARE(rig.station.flags.paramsRequest.load(), 1);

    // After OK the test goes on with 32 channels in latch-register mode.
    QTRY_COMPARE_WITH_TIMEOUT(rig.window->Journal().Count(), base + 36, 10000);
    QVERIFY(sawCurrentValues);
    QTRY_VERIFY(rig.window->Journal().Text(base + 4 + 31) == "  31        nb0      0");
    QCOMPARE(rig.window->Journal().Text(base + 3).rfind(" Канал   LatchRG ", 0), std::size_t{0});
    QCOMPARE(rig.station.flags.paramsRequest.load(), 0);
    QVERIFY(!rig.window->ParamsTimerActive());
    QVERIFY(rig.station.runner.Busy());
    QCOMPARE(rig.station.extCom.params.channelCount, 32);

    rig.Press(Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(!rig.station.runner.Busy(), 5000);
    QCOMPARE(rig.station.flags.extComPhase.load(), std::uint8_t{0});
    QCOMPARE(rig.window->StatusLine()->text(), QString::fromUtf8(rz::text::kStatusIdle));
    QCOMPARE(rig.window->Journal().Count(), base + 36);  // no closing line
    rz::StopStation(rig.station);
  }
};

int RunExtComWindowTests(int argc, char** argv) {
  ExtComWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace rz::gui::test

#include "ext_com_window_test.moc"
