// The Ethernet switch in the window: the IP-address dialog's keys, a refused
// entry and ESC, and switching on and off against the simulated board. Beside
// it the other one-box dialog, the serial number, typed as a barcode scanner
// does: into whatever has the focus when it opens, then ENTER.

#include <QCheckBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fstream>
#include <tuple>

#include "app/ethernet_texts.h"
#include "app/serial_number_entry.h"
#include "app/texts.h"
#include "child_process.h"
#include "gui_test_support.h"
#include "ip_address_dlg.h"
#include "session/startup.h"
#include "simulated_board.h"
#define RZ_LOOPBACK_GUARD_QT
#include "loopback_udp.h"
#include "posix/serial_posix.h"

namespace rz::gui::test {

class EthernetSwitchWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void theDialogConfirmsWithEnterAndCancelsWithEsc() {
    CIpAddressDlg dialog(QStringLiteral("192.168.2.200"));
    QCOMPARE(dialog.windowTitle(), QString::fromUtf8(rz::text::kIpAddressDialogTitle));
    QCOMPARE(dialog.Edit()->maxLength(), 15);
    QCOMPARE(dialog.Edit()->text(), QStringLiteral("192.168.2.200"));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.Edit()->clear();
    QTest::keyClicks(dialog.Edit(), QStringLiteral("10.0.0.1234567890"));
    QCOMPARE(dialog.Text(), std::string("10.0.0.12345678"));  // 15 characters at most
    QTest::keyClick(dialog.Edit(), Qt::Key_Return);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));

    CIpAddressDlg cancelled(QStringLiteral("1.2.3.4"));
    cancelled.show();
    QVERIFY(QTest::qWaitForWindowExposed(&cancelled));
    QTest::keyClick(cancelled.Edit(), Qt::Key_Escape);
    QCOMPARE(cancelled.result(), int(QDialog::Rejected));
  }

  void aScannerFillsTheSerialNumberBoxAndEnterConfirmsIt() {
    StationRig rig;
    QVERIFY(rig.Show());
    const std::tuple<QString, Qt::Key, std::optional<std::string>> cases[] = {
        {QStringLiteral("  SN-0042 "), Qt::Key_Return, "SN-0042"},
        {QStringLiteral("   "), Qt::Key_Enter, std::nullopt},
        {QStringLiteral("SN-0043"), Qt::Key_Escape, std::nullopt},
    };
    for (const auto& [typed, key, number] : cases) {
      QString caption;
      QWidget* owner = nullptr;
      bool refused = false;
      QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog == nullptr) return;
        caption = dialog->windowTitle();
        owner = dialog->parentWidget();
        QApplication::setActiveWindow(dialog);  // as a window manager activates a new dialog
        auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        if (edit == nullptr) {
          dialog->close();
          return;
        }
        edit->insert(QStringLiteral("\t"));
        refused = edit->text().isEmpty();  // no control characters
        QTest::keyClicks(edit, typed);
        QTest::keyClick(edit, key);
      });
      QCOMPARE(rig.ui.AskSerialNumber(), number);
      QCOMPARE(caption, QString::fromUtf8(rz::text::kSerialNumberDialogTitle));
      QCOMPARE(owner, rig.window.get());
      QVERIFY(refused);
    }
  }

  void escAndARefusedEntryLeaveTheSwitchUncheckedAndTheFocusStays() {
    StationRig rig;
    QVERIFY(rig.Show());
    // ESC while the stored address is still valid changes nothing either.
    QVERIFY(rig.station.udp.addressValid);
    rig.window->EthernetSwitchBox()->click();
    QVERIFY(!rig.window->EthernetSwitchBox()->isChecked());
    QVERIFY(!rig.station.runner.Busy());
    QVERIFY(rig.station.udp.addressValid);
    rig.ipShown.clear();

    rig.ipAnswers = {std::string("10.00.0.1"), std::nullopt};
    rig.window->EthernetSwitchBox()->click();
    QCOMPARE(rig.ipShown, (std::vector<std::string>{"192.168.2.200"}));
    QCOMPARE(rig.messages.size(), std::size_t{1});
    QCOMPARE(rig.messages[0].box.caption, std::string(rz::text::kErrorCaption));
    QCOMPARE(rig.messages[0].box.text, std::string("10.00.0.1"));
    QCOMPARE(rig.messages[0].owner, nullptr);
    QVERIFY(!rig.window->EthernetSwitchBox()->isChecked());

    rig.window->EthernetSwitchBox()->click();  // ESC in the dialog this time
    QCOMPARE(rig.ipShown.size(), std::size_t{2});
    QCOMPARE(rig.messages.size(), std::size_t{1});
    QVERIFY(!rig.window->EthernetSwitchBox()->isChecked());
    QVERIFY(!rig.station.runner.Busy());
    QCOMPARE(rig.window->Journal().Count(), 0);

    // Switched on from the first button (no socket: it fails at once), the
    // focus comes back to that button.
    rig.ipAnswers = {std::string("127.0.0.2")};
    rig.window->EthernetSwitchBox()->click();
    QTRY_VERIFY(!rig.station.runner.Busy());
    QCOMPARE(rig.window->Journal().Lines().Lines().back(), std::string(rz::text::kSocketOpenError));
    QTRY_COMPARE(rig.window->FocusedButton(), 1);
    QCOMPARE(rig.FocusIndex(), 1);
  }

  void switchingOnAndOffAgainstTheSimulatedBoard() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    {
      std::ofstream program(dir.filePath(QString::fromUtf8(rz::kTestProgramFileName)).toStdString(),
                            std::ios::binary);
      program << std::string(2048, '\x5A');
    }
    rz::testing::SimulatedBoard board(dir.filePath("COM1").toStdString());
    const rz::testing::LoopbackPair pair = rz::testing::NextLoopbackPair();
    rz::testing::LoopbackOnlyBackend udp;
    rz::PosixSerialBackend serial;
    StationRig rig(&serial);
    rig.station.portPaths.com1 = board.Link();
    rig.station.udp.backend = &udp;
    rig.station.udp.localAddress = pair.station;
    QVERIFY(rz::StartStation(rig.station, dir.path().toStdString()));
    QVERIFY(rig.station.udp.socket != nullptr);
    QVERIFY(rig.Show());
    rig.Button(1)->click();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.station.runner.Busy(), 20000);

    const std::string address = rz::FormatIpv4(pair.board);
    rig.ipAnswers = {address};
    rig.window->EthernetSwitchBox()->click();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.station.runner.Busy(), 20000);
    QVERIFY(rig.window->EthernetSwitchBox()->isChecked());
    QVERIFY(rig.window->EthernetSwitchBox()->isEnabled());
    QCOMPARE(rig.window->Journal().Lines().Lines().back(), std::string(rz::text::kEthernetAddressPrefix) + address);
    QCOMPARE(rig.window->Journal().Text(rig.window->Journal().Count() - 2), std::string(rz::text::kEthernetEnabled));

    rig.Button(4)->click();  // the SDRAM test is serial-only
    QCOMPARE(rig.messages.size(), std::size_t{1});
    QCOMPARE(rig.messages[0].box.text, std::string(rz::text::kOnlyOverCom));

    rig.window->EthernetSwitchBox()->click();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.station.runner.Busy(), 20000);
    QVERIFY(!rig.window->EthernetSwitchBox()->isChecked());
    QCOMPARE(rig.window->Journal().Lines().Lines().back(), std::string(rz::text::kEthernetDisabled));
    QCOMPARE(rig.ipShown, (std::vector<std::string>{"192.168.2.200"}));
    rz::StopStation(rig.station);
  }
};

int RunEthernetSwitchWindowTests(int argc, char** argv) {
  EthernetSwitchWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace rz::gui::test

#include "ethernet_switch_window_test.moc"
