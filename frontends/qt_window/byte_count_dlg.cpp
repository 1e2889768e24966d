#include "byte_count_dlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "caption_fit.h"
#include "edit_rule_input.h"

#include "flash/byte_count_dialog.h"
#include "flash/flash_texts.h"

namespace rz::gui {

CByteCountDlg::CByteCountDlg(QWidget* parent) : QDialog(parent, kSmallDialogFlags) {
  setWindowTitle(QString::fromUtf8(rz::text::kByteCountTitle));
  FitToCaption(*this);
  setModal(true);
  edit_ = new QLineEdit(this);
  ApplyEditRule(*edit_, rz::kByteCountEdit);
  hint_ = new QLabel(QString::fromUtf8(rz::text::kByteCountHint), this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(edit_);
  layout->addWidget(hint_);
  // No buttons: ENTER in the edit box confirms.
  connect(edit_, &QLineEdit::returnPressed, this, &CByteCountDlg::accept);
  edit_->setFocus();
}

void CByteCountDlg::accept() {
  count_ = rz::ByteCountOnEnter(edit_->text().toStdString());
  QDialog::accept();
}

void CByteCountDlg::reject() {
  count_ = rz::kByteCountOnEscape;
  QDialog::reject();
}

}  // namespace rz::gui
