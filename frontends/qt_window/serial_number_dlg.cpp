#include "serial_number_dlg.h"

#include <QLineEdit>
#include <QVBoxLayout>

#include "caption_fit.h"
#include "edit_rule_input.h"

#include "app/serial_number_entry.h"

namespace rz::gui {

CSerialNumberDlg::CSerialNumberDlg(QWidget* parent) : QDialog(parent, kSmallDialogFlags) {
  setWindowTitle(QString::fromUtf8(rz::text::kSerialNumberDialogTitle));
  FitToCaption(*this);
  setModal(true);
  edit_ = new QLineEdit(this);
  ApplyEditRule(*edit_, rz::kSerialNumberEdit);
  ApplyEditFilter(*edit_, rz::SerialNumberBoxAccepts);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(edit_);
  // No buttons: ENTER in the edit box confirms.
  connect(edit_, &QLineEdit::returnPressed, this, &CSerialNumberDlg::accept);
  edit_->setFocus();
}

void CSerialNumberDlg::accept() {
  number_ = rz::SerialNumberOnEnter(edit_->text().toStdString());
  QDialog::accept();
}

void CSerialNumberDlg::reject() {
  number_.reset();
  QDialog::reject();
}

std::optional<std::string> RunSerialNumberDialogModal(QWidget* owner) {
  CSerialNumberDlg dialog(owner);
  dialog.exec();
  return dialog.Number();
}

}  // namespace rz::gui
