#pragma once

#include <QDialog>

#include <cstdint>

class QLabel;
class QLineEdit;

namespace rz::gui {

// The byte-count dialog of the Flash-to-file button: an edit box for at most
// seven digits and the hint "Кол-во (dec): 0..8388608", no buttons. ENTER
// confirms the count typed (its leading digits, 0 without any), ESC cancels
// and gives 0.
class CByteCountDlg final : public QDialog {
  Q_OBJECT

 public:
  explicit CByteCountDlg(QWidget* parent = nullptr);

  // The read count C after the dialog has closed.
  std::uint32_t Count() const { return count_; }
  QLineEdit* Edit() const { return edit_; }
  QLabel* Hint() const { return hint_; }

 public slots:
  void accept() override;
  void reject() override;

 private:
  QLineEdit* edit_ = nullptr;
  QLabel* hint_ = nullptr;
  std::uint32_t count_ = 0;
};

}  // namespace rz::gui
