#include "byte_count_dlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "caption_fit.h"

#include "flash/flash_texts.h"
#include "flash/image_file.h"

namespace rz::gui {

CByteCountDlg::CByteCountDlg(QWidget* parent) : QDialog(parent, kSmallDialogFlags) {
  setWindowTitle(QString::fromUtf8(rz::text::kByteCountTitle));
  FitToCaption(*this);
  setModal(true);
  edit_ = new QLineEdit(this);
  edit_->setMaxLength(rz::kByteCountDigits);
  edit_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit_));
  hint_ = new QLabel(QString::fromUtf8(rz::text::kByteCountHint), this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(edit_);
  layout->addWidget(hint_);
  // No buttons: ENTER in the edit box confirms.
  connect(edit_, &QLineEdit::returnPressed, this, &CByteCountDlg::accept);
  edit_->setFocus();
}

void CByteCountDlg::accept() {
  count_ = rz::ByteCountFromText(edit_->text().left(rz::kByteCountDigits).toStdString());
  QDialog::accept();
}

void CByteCountDlg::reject() {
  count_ = 0;
  QDialog::reject();
}

}  // namespace rz::gui
