// The serial-number dialog run by the window's operations, typed into as a
// barcode scanner does: the text into whatever has the focus when the dialog
// opens, then ENTER (or ESC).

#include <QLineEdit>
#include <QTimer>

#include "app/serial_number_entry.h"
#include "gui_test_support.h"
#include "serial_number_dlg.h"

namespace rz::gui::test {

class SerialNumberDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void aScannerFillsTheFocusedBoxAndEnterConfirmsIt() {
    StationRig rig;
    QVERIFY(rig.Show());
    rig.ui.SetSerialNumberPresenter(nullptr);  // the real dialog
    struct Case {
      QString typed;
      Qt::Key key;
      std::optional<std::string> number;
    };
    const Case cases[] = {
        {QStringLiteral("  SN-0042 "), Qt::Key_Return, "SN-0042"},
        {QString(40, QLatin1Char('7')), Qt::Key_Enter, std::string(32, '7')},
        {QStringLiteral("   "), Qt::Key_Return, std::nullopt},
        {QStringLiteral("SN-0043"), Qt::Key_Escape, std::nullopt},
    };
    for (const Case& c : cases) {
      QString caption;
      QWidget* owner = nullptr;
      bool refused = false;
      QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog == nullptr) return;
        QApplication::setActiveWindow(dialog);  // as a window manager activates a new dialog
        caption = dialog->windowTitle();
        owner = dialog->parentWidget();
        auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        if (edit == nullptr) {
          dialog->close();
          return;
        }
        edit->insert(QStringLiteral("\t"));
        refused = edit->text().isEmpty();  // a control character is refused
        QTest::keyClicks(edit, c.typed);
        QTest::keyClick(edit, c.key);
      });
      QCOMPARE(rig.ui.AskSerialNumber(), c.number);
      QCOMPARE(caption, QString::fromUtf8(rz::text::kSerialNumberDialogTitle));
      QCOMPARE(owner, rig.window.get());
      QVERIFY(refused);
    }
  }
};

int RunSerialNumberDialogTests(int argc, char** argv) {
  SerialNumberDialogTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace rz::gui::test

#include "serial_number_dialog_test.moc"
