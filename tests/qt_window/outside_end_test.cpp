// Ending the run from outside the window (a termination signal, the window
// destroyed by another program), the captions without boxes, and Qt's own
// texts in Russian.

#include <QDialogButtonBox>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <xcb/xcb.h>

#include <csignal>
#include <thread>

#include "app/results_log.h"
#include "byte_count_dlg.h"
#include "debug_dlg.h"
#include "gui_test_support.h"
#include "ip_address_dlg.h"
#include "serial_number_dlg.h"
#include "outside_end_watch.h"
#include "posix/termination_signals.h"
#include "russian_translation.h"
#include "session/startup.h"

namespace rz::gui::test {
namespace {

constexpr const char* kWorkerLine = " строка операции";
constexpr const char* kStopLine = " остановлена";

// A station whose results log goes to a directory of its own, running an
// operation that ends only on ESC and then says so in the journal; with
// `messageFirst` the operation first waits in a real message box.
struct EndingRig {
  explicit EndingRig(bool messageFirst) {
    rig.station.workDir = dir.path().toStdString() + "/";
    if (messageFirst) rig.ui.SetMessagePresenter(nullptr);
    const bool shown = rig.Show();
    started = shown && rig.station.runner.Start([this, messageFirst] {
      rig.ui.AddJournalLine(0, kWorkerLine);
      if (messageFirst) rig.ui.ShowError({"Ошибка", "ждёт оператора"});
      while (rig.station.flags.abort.load() != 1) std::this_thread::sleep_for(std::chrono::milliseconds(5));
      rig.ui.AddJournalLine(0, kStopLine);
      return rz::Outcome::Aborted;
    }) == rz::OperationRunner::StartStatus::Started;
  }

  // The window has closed after the operation had stopped, and the log holds
  // the operation's last line.
  bool EndedAsByTheExitButton() {
    if (!QTest::qWaitFor([this] { return !rig.window->isVisible(); }, 5000)) return false;
    QFile log(dir.filePath(QString::fromUtf8(rz::kResultsLogFileName)));
    if (!log.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = log.readAll();
    // CP1251 of " остановлена" after the operation's first line.
    return !rig.station.runner.Busy() && rig.window->result() == QDialog::Accepted &&
           bytes.endsWith(QByteArray(" \xEE\xF1\xF2\xE0\xED\xEE\xE2\xEB\xE5\xED\xE0\r\n"));
  }

  QTemporaryDir dir;
  StationRig rig;
  bool started = false;
};

}  // namespace

class OutsideEndTest : public QObject {
  Q_OBJECT

 private slots:
  void terminationSignalStopsTheOperationWritesTheLogAndCloses() {
    static const int signalFd = rz::InstallTerminationSignalPipe();
    QVERIFY(signalFd >= 0);
    EndingRig ending(false);
    QVERIFY(ending.started);
    OutsideEndWatch watch(*ending.rig.window, signalFd);
    QTest::qWait(50);  // the operation is under way
    std::raise(SIGTERM);
    QVERIFY(ending.EndedAsByTheExitButton());
  }

  void destroyedWindowEndsTheRunAlsoWithAMessageBoxOpen() {
    EndingRig ending(true);
    QVERIFY(ending.started);
    OutsideEndWatch watch(*ending.rig.window, -1);
    xcb_destroy_notify_event_t event{};
    event.response_type = XCB_DESTROY_NOTIFY;
    event.window = static_cast<xcb_window_t>(0x7fffffff);  // someone else's window
    QVERIFY(!watch.nativeEventFilter("xcb_generic_event_t", &event, nullptr));
    QVERIFY(!ending.rig.window->Ending());

    // The operation's message box runs its own event loop: the window goes
    // while that box is open.
    bool boxWasOpen = false;
    QTimer::singleShot(100, [&] {
      boxWasOpen = QApplication::activeModalWidget() != nullptr;
      event.window = static_cast<xcb_window_t>(ending.rig.window->winId());
      watch.nativeEventFilter("xcb_generic_event_t", &event, nullptr);
    });
    QVERIFY(ending.EndedAsByTheExitButton());
    QVERIFY(boxWasOpen);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
  }

  void captionsAskForNoSystemMenuAndNoBoxes() {
    StationRig rig;
    CDebugDlg debug(rig.station, rig.window.get());
    CIpAddressDlg ip(QStringLiteral("192.168.2.200"), rig.window.get());
    CByteCountDlg count(rig.window.get());
    CSerialNumberDlg serial(rig.window.get());
    const Qt::WindowFlags boxes = Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                                  Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                                  Qt::WindowContextHelpButtonHint;
    for (QWidget* window : std::initializer_list<QWidget*>{rig.window.get(), &debug, &ip, &count, &serial}) {
      const Qt::WindowFlags flags = window->windowFlags();
      QVERIFY2(flags.testFlag(Qt::CustomizeWindowHint) && flags.testFlag(Qt::WindowTitleHint),
               qPrintable(window->windowTitle()));
      QVERIFY2(!(flags & boxes), qPrintable(window->windowTitle()));
    }
    // A top-level window of its own, not a dialog transient for nothing.
    QCOMPARE(rig.window->windowType(), Qt::Window);
  }

  // Last: the translation stays installed for the rest of the process.
  void qtsOwnTextsAreRussian() {
    QVERIFY(InstallRussianTranslation(*QCoreApplication::instance()));
    QDialogButtonBox buttons(QDialogButtonBox::Cancel);
    QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Отмена"));
  }
};

int RunOutsideEndTests(int argc, char** argv) {
  OutsideEndTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace rz::gui::test

#include "outside_end_test.moc"
