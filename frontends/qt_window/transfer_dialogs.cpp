#include "transfer_dialogs.h"

#include <QFileDialog>

#include "flash/flash_texts.h"

namespace rz::gui {
namespace {

std::unique_ptr<QFileDialog> MakeFileDialog(QWidget* owner, const QString& folder) {
  auto dialog = std::make_unique<QFileDialog>(owner, QString(), folder);
  // The filter is named "(*.*)"; its pattern is "*" because on this system
  // "*.*" would hide files whose names have no dot.
  dialog->setNameFilter(QString::fromUtf8(rz::text::kFileFilter) + QStringLiteral(" (*)"));
  dialog->setOption(QFileDialog::HideNameFilterDetails, true);
  dialog->setDefaultSuffix(QString());
  // Qt's own dialog speaks the station's language; a desktop's native one
  // would follow the desktop's.
  dialog->setOption(QFileDialog::DontUseNativeDialog, true);
  return dialog;
}

}  // namespace

std::unique_ptr<QFileDialog> MakeOpenFileDialog(QWidget* owner, const QString& folder) {
  auto dialog = MakeFileDialog(owner, folder);
  dialog->setAcceptMode(QFileDialog::AcceptOpen);
  dialog->setFileMode(QFileDialog::ExistingFile);
  return dialog;
}

std::unique_ptr<QFileDialog> MakeSaveFileDialog(QWidget* owner, const QString& folder) {
  auto dialog = MakeFileDialog(owner, folder);
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  dialog->setFileMode(QFileDialog::AnyFile);
  dialog->setOption(QFileDialog::DontConfirmOverwrite, false);
  return dialog;
}

}  // namespace rz::gui
