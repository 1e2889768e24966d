// The debug console window: keys and beeps, target mode as the window shows
// it, the field hints and the help.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "app/texts.h"
#include "debug/debug_texts.h"
#include "debug_dlg.h"
#include "gui_test_support.h"
#include "operations/control_handlers.h"

namespace rz::gui::test {
namespace {

QString Utf8(const char* text) { return QString::fromUtf8(text); }
namespace dt = rz::debugtext;

struct DebugRig {
  DebugRig() : console(rig.station, rig.window.get()) {
    console.SetHelpPresenter([this](const QString& caption, const QString& text, QWidget*) {
      helps.push_back(caption + "|" + text);
    });
    console.show();
    QApplication::setActiveWindow(&console);
  }
  void Press(int key) {
    QWidget* target = QApplication::focusWidget();
    QTest::keyClick(target != nullptr ? target : &console, static_cast<Qt::Key>(key));
  }
  QLineEdit* Field(rz::DebugField f) { return console.Field(f); }
  void ClickStatus() { QTest::mouseClick(console.StatusLine(), Qt::LeftButton); }

  StationRig rig;
  CDebugDlg console;
  std::vector<QString> helps;
};

}  // namespace

class DebugWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void buttonRingAndSwallowedKeys() {
    DebugRig d;
    QVERIFY(QTest::qWaitForWindowActive(&d.console));
    QCOMPARE(d.console.windowTitle(), Utf8(dt::kCaption));
    QCOMPARE(d.console.StatusLine()->text(), Utf8(dt::kStatusIdle));
    QCOMPARE(d.console.FocusedButton(), 1);
    for (int i = 2; i <= 6; ++i) {
      d.Press(Qt::Key_Tab);
      QCOMPARE(d.console.FocusedButton(), i);
    }
    QCOMPARE(d.rig.sound.beeps.load(), 0);
    d.Press(Qt::Key_Tab);  // Выход -> Ethernet
    QCOMPARE(d.console.FocusedButton(), 1);
    QCOMPARE(d.rig.sound.beeps.load(), 1);
    d.Press(Qt::Key_Up);  // Ethernet -> Выход
    QTRY_COMPARE(d.console.FocusedButton(), 6);
    QCOMPARE(int(d.console.State().focusIndex.load()), 6);
    QCOMPARE(d.rig.sound.beeps.load(), 2);
    d.Press(Qt::Key_Down);  // Выход -> Ethernet
    QTRY_COMPARE(d.console.FocusedButton(), 1);
    QCOMPARE(d.rig.sound.beeps.load(), 3);
    d.Press(Qt::Key_Down);
    QCOMPARE(d.console.FocusedButton(), 2);
    for (int key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Space}) d.Press(key);
    QCOMPARE(d.console.FocusedButton(), 2);
    QCOMPARE(d.console.State().targetMode.load(), 0);  // SPACE pressed no button
    // ESC and ENTER outside target mode raise their flags and close nothing.
    d.Press(Qt::Key_Escape);
    QVERIFY(d.console.isVisible());
    QCOMPARE(d.rig.station.flags.abort.load(), 1);
    // Help before any target button: nothing.
    d.ClickStatus();
    QVERIFY(d.helps.empty());
  }

  void targetModeHintsHelpAndLeaving() {
    DebugRig d;
    QVERIFY(QTest::qWaitForWindowActive(&d.console));
    QTest::mouseClick(d.console.Button(2), Qt::LeftButton);  // SDRAM
    QTRY_COMPARE(QApplication::focusWidget(), d.Field(rz::DebugField::Operation));
    QCOMPARE(d.console.State().targetMode.load(), 1);
    QVERIFY(!d.console.Button(6)->isEnabled());
    QCOMPARE(d.console.StatusLine()->text(), Utf8(dt::kOperationLists[1]));
    d.ClickStatus();
    QCOMPARE(d.helps, (std::vector<QString>{Utf8(dt::kHelpCaption) + "|" + Utf8(dt::kHelpSdram)}));

    QTest::keyClicks(d.Field(rz::DebugField::Operation), "a b");  // SPACE swallowed in the field
    QCOMPARE(d.Field(rz::DebugField::Operation)->text(), QStringLiteral("ab"));
    d.Press(Qt::Key_Backspace);
    d.Press(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), d.Field(rz::DebugField::Address));
    QCOMPARE(d.console.StatusLine()->text(), Utf8(dt::kNotUsed));
    d.ClickStatus();  // a field hint has no help
    QCOMPARE(d.helps.size(), std::size_t(1));
    QTest::keyClicks(d.Field(rz::DebugField::Address), "0x1234567890");  // cut at the limit
    QCOMPARE(d.Field(rz::DebugField::Address)->text(), QStringLiteral("0x1234567"));
    d.Press(Qt::Key_Tab);
    QCOMPARE(d.console.StatusLine()->text(), Utf8(dt::kNotUsed));

    // A field error: one line, the focus back on the operation field, the fields kept.
    d.Field(rz::DebugField::Operation)->setText("x");
    d.Press(Qt::Key_Return);
    QTRY_COMPARE(d.console.Journal().Count(), 1);
    QCOMPARE(QString::fromStdString(d.console.Journal().Text(0)), Utf8(dt::kOperationError));
    QTRY_COMPARE(QApplication::focusWidget(), d.Field(rz::DebugField::Operation));
    QCOMPARE(d.Field(rz::DebugField::Address)->text(), QStringLiteral("0x1234567"));

    // ESC while editing leaves target mode with the focus on the target's button.
    d.Press(Qt::Key_Escape);
    QTRY_COMPARE(d.console.State().targetMode.load(), 0);
    QTRY_COMPARE(d.console.FocusedButton(), 2);
    QVERIFY(!d.Field(rz::DebugField::Operation)->isEnabled());
    QCOMPARE(d.console.StatusLine()->text(), Utf8(dt::kStatusIdle));
    QVERIFY(d.console.Button(6)->isEnabled());

    // A target button empties the fields.
    QTest::mouseClick(d.console.Button(5), Qt::LeftButton);
    QTRY_COMPARE(QApplication::focusWidget(), d.Field(rz::DebugField::Operation));
    QCOMPARE(d.Field(rz::DebugField::Address)->text(), QString());
    d.Field(rz::DebugField::Operation)->setText("tx0");
    d.Press(Qt::Key_Tab);
    QCOMPARE(d.console.StatusLine()->text(), Utf8(dt::kTx0ChannelHint));
    d.Press(Qt::Key_Tab);
    QCOMPARE(d.console.StatusLine()->text(), Utf8(dt::kSpeedHint));
    d.Press(Qt::Key_Escape);
    QTRY_COMPARE(d.console.State().targetMode.load(), 0);
    QTRY_COMPARE(d.console.FocusedButton(), 5);
    // Only "Выход" closes it.
    d.console.close();
    QVERIFY(d.console.isVisible());
    QTest::mouseClick(d.console.Button(6), Qt::LeftButton);
    QVERIFY(!d.console.isVisible());
  }

  void debugButtonIsRefusedWhileEthernetIsOn() {
    StationRig rig;
    QVERIFY(rig.Show());
    rig.window->SetEthernetSwitch(true);
    rig.station.flags.RequestAbort();
    QCOMPARE(rz::PressButton(rig.station, rz::Button::Debug), rz::StartResult::Refused);
    QCOMPARE(rig.messages.size(), std::size_t(1));
    QCOMPARE(rig.messages[0].box.text, std::string(rz::text::kOnlyOverCom));
    QCOMPARE(rig.station.flags.abort.load(), 1);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
  }
};

int RunDebugWindowTests(int argc, char** argv) {
  DebugWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace rz::gui::test

#include "debug_window_test.moc"
