#include "ip_address_dlg.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QVBoxLayout>

#include "caption_fit.h"
#include "edit_rule_input.h"

#include "app/ethernet_texts.h"
#include "app/ip_address.h"

namespace rz::gui {

CIpAddressDlg::CIpAddressDlg(const QString& shown, QWidget* parent)
    : QDialog(parent, kSmallDialogFlags) {
  setWindowTitle(QString::fromUtf8(rz::text::kIpAddressDialogTitle));
  FitToCaption(*this);
  setModal(true);
  edit_ = new QLineEdit(this);
  ApplyEditRule(*edit_, rz::kIpAddressEdit);
  edit_->setText(shown);
  edit_->selectAll();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(edit_);
  // ENTER in the edit box confirms (there is no default button to take it).
  connect(edit_, &QLineEdit::returnPressed, this, &QDialog::accept);
}

std::string CIpAddressDlg::Text() const { return edit_->text().toStdString(); }

void CIpAddressDlg::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    accept();
    return;
  }
  QDialog::keyPressEvent(event);  // ESC rejects
}

std::optional<std::string> RunIpAddressDialogModal(const std::string& shown, QWidget* owner) {
  CIpAddressDlg dialog(QString::fromStdString(shown), owner);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Text();
}

}  // namespace rz::gui
