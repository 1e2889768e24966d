// The dialogs of the Flash transfer buttons: the byte-count dialog, the save
// dialog's overwrite question, and the buttons using them in the window.

#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fstream>

#include "app/texts.h"
#include "byte_count_dlg.h"
#include "flash/flash_texts.h"
#include "gui_test_support.h"
#include "transfer_dialogs.h"

namespace rz::gui::test {

namespace {

// Answers the message box that the dialog opens next with `button`.
void AnswerNextMessageBox(QMessageBox::StandardButton button, bool* seen) {
  QTimer::singleShot(0, [button, seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) {
      QTimer::singleShot(10, [button, seen] { AnswerNextMessageBox(button, seen); });
      return;
    }
    *seen = true;
    box->button(button)->click();
  });
}

}  // namespace

class TransferDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void byteCountDialogTakesSevenDigitsAndConfirmsWithEnter() {
    CByteCountDlg dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.windowTitle(), QString::fromUtf8(rz::text::kByteCountTitle));
    QCOMPARE(dialog.Hint()->text(), QString::fromUtf8(rz::text::kByteCountHint));
    QVERIFY(dialog.findChildren<QPushButton*>().isEmpty());
    QTest::keyClicks(dialog.Edit(), "12x345678");
    QCOMPARE(dialog.Edit()->text(), QStringLiteral("1234567"));
    QTest::keyClick(dialog.Edit(), Qt::Key_Return);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.Count(), 1234567u);
  }

  void byteCountDialogGivesZeroAfterEscOrWhenEmpty() {
    CByteCountDlg escaped;
    escaped.show();
    QVERIFY(QTest::qWaitForWindowExposed(&escaped));
    QTest::keyClicks(escaped.Edit(), "8388608");
    QTest::keyClick(escaped.Edit(), Qt::Key_Escape);
    QCOMPARE(escaped.result(), int(QDialog::Rejected));
    QCOMPARE(escaped.Count(), 0u);

    CByteCountDlg empty;
    empty.show();
    QVERIFY(QTest::qWaitForWindowExposed(&empty));
    QTest::keyClick(empty.Edit(), Qt::Key_Enter);
    QCOMPARE(empty.result(), int(QDialog::Accepted));
    QCOMPARE(empty.Count(), 0u);
  }

  void saveDialogAsksBeforeOverwriting() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString existing = dir.filePath("old.bin");
    std::ofstream(existing.toStdString()) << "kept";

    const auto dialog = MakeSaveFileDialog(nullptr, dir.path());
    QCOMPARE(dialog->directory().absolutePath(), QDir(dir.path()).absolutePath());
    QCOMPARE(dialog->nameFilters(), QStringList{QStringLiteral("(*.*) (*)")});
    dialog->selectFile(QStringLiteral("old.bin"));
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    QCOMPARE(dialog->selectedFiles(), QStringList{existing});
    bool asked = false;
    AnswerNextMessageBox(QMessageBox::No, &asked);
    static_cast<QDialog*>(dialog.get())->accept();
    QVERIFY(asked);
    QVERIFY(dialog->isVisible());  // "No" keeps the dialog open
    asked = false;
    AnswerNextMessageBox(QMessageBox::Yes, &asked);
    static_cast<QDialog*>(dialog.get())->accept();
    QVERIFY(asked);
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
    QCOMPARE(dialog->selectedFiles(), QStringList{existing});

    // A new name is taken without a question; the open dialog wants an existing file.
    const auto fresh = MakeSaveFileDialog(nullptr, dir.path());
    fresh->selectFile(QStringLiteral("new.bin"));
    fresh->show();
    static_cast<QDialog*>(fresh.get())->accept();
    QCOMPARE(fresh->result(), int(QDialog::Accepted));
    QCOMPARE(MakeOpenFileDialog(nullptr, dir.path())->fileMode(), QFileDialog::ExistingFile);
  }

  void flashToFileButtonWithACancelledCount() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    StationRig rig;
    QVERIFY(rig.Show());
    int dialogs = 0;
    rig.ui.SetDialogRunner([&](QDialog& dialog) {
      ++dialogs;
      if (auto* files = qobject_cast<QFileDialog*>(&dialog)) {
        files->selectFile(dir.filePath("out.bin"));
        return int(QDialog::Accepted);
      }
      dialog.reject();  // ESC in the byte-count dialog
      return int(QDialog::Rejected);
    });
    rig.Button(11)->click();
    QCOMPARE(dialogs, 2);
    QCOMPARE(rig.messages.size(), std::size_t{1});
    QCOMPARE(rig.messages[0].box.caption, std::string(rz::text::kErrorCaption));
    QCOMPARE(rig.messages[0].box.text, std::string("Кол-во байт чтения: 0"));
    QCOMPARE(rig.messages[0].owner, rig.window.get());
    // Nothing is left behind for a read that never ran.
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{});
    QCOMPARE(rig.FocusIndex(), 11);
    QVERIFY(!rig.station.runner.Busy());

    // Cancelling the open dialog of the other button does nothing.
    rig.ui.SetDialogRunner([&](QDialog&) {
      ++dialogs;
      return int(QDialog::Rejected);
    });
    rig.Button(10)->click();
    QCOMPARE(dialogs, 3);
    QCOMPARE(rig.messages.size(), std::size_t{1});
    QCOMPARE(rig.window->Journal().Count(), 0);
  }
};

int RunTransferDialogTests(int argc, char** argv) {
  TransferDialogsTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace rz::gui::test

#include "transfer_dialogs_test.moc"
