#pragma once

#include <QDialog>
#include <QString>

#include <optional>
#include <string>

class QLineEdit;

namespace rz::gui {

// The IP-address dialog: one edit box of at most 15 characters and no buttons.
// ENTER confirms the text, ESC cancels. The window only collects the text; the
// station parses it.
class CIpAddressDlg final : public QDialog {
  Q_OBJECT

 public:
  CIpAddressDlg(const QString& shown, QWidget* parent = nullptr);

  QLineEdit* Edit() const { return edit_; }
  // The text as it stands (UTF-8).
  std::string Text() const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QLineEdit* edit_ = nullptr;
};

// Runs the dialog modally over `owner`: the entered text after ENTER, nothing
// after ESC.
std::optional<std::string> RunIpAddressDialogModal(const std::string& shown, QWidget* owner);

}  // namespace rz::gui
