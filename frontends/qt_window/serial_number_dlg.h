#pragma once

#include <QDialog>

#include <optional>
#include <string>

class QLineEdit;

namespace rz::gui {

// The serial-number dialog: one edit box of at most 32 printable characters
// and no buttons. The box has the focus from the start, so that a barcode
// scanner, which types the number followed by ENTER, fills it in and closes
// it. ENTER confirms the text without its leading and trailing spaces (an
// empty text gives nothing), ESC skips and gives nothing.
class CSerialNumberDlg final : public QDialog {
  Q_OBJECT

 public:
  explicit CSerialNumberDlg(QWidget* parent = nullptr);

  QLineEdit* Edit() const { return edit_; }
  // The serial number once the dialog has closed.
  const std::optional<std::string>& Number() const { return number_; }

 public slots:
  void accept() override;
  void reject() override;

 private:
  QLineEdit* edit_ = nullptr;
  std::optional<std::string> number_;
};

// Runs the dialog modally over `owner` and returns its serial number.
std::optional<std::string> RunSerialNumberDialogModal(QWidget* owner);

}  // namespace rz::gui
