#pragma once

#include <QDialog>

#include "boardtests/external_com_params.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace rz::gui {

// The parameters dialog of the external channel test, run modally by the main
// window while the test is paused. It opens on the current parameters; OK
// stores what it shows (block size capped by the FIFO mode, code pattern -1
// and 32 channels once text was typed into those two boxes); Cancel stores
// nothing.
class CTestParamsDlg final : public QDialog {
  Q_OBJECT

 public:
  CTestParamsDlg(rz::ExtComParams& params, QWidget* parent = nullptr);

  // What OK would store from, as the controls show it now.
  rz::ExtComDialogChoice Choice() const;

  QComboBox* SpeedList() const { return speed_; }
  QComboBox* FifoList() const { return fifo_; }
  QLineEdit* BlockEdit() const { return block_; }
  QComboBox* LineList() const { return line_; }
  QComboBox* CodeBox() const { return code_; }
  QComboBox* ChannelsBox() const { return channels_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }

 public slots:
  void accept() override;

 private:
  QComboBox* EditableBox(const char* const* items, int count, bool& typed);

  rz::ExtComParams& params_;
  QComboBox* speed_ = nullptr;
  QComboBox* fifo_ = nullptr;
  QLineEdit* block_ = nullptr;
  QComboBox* line_ = nullptr;
  QComboBox* code_ = nullptr;
  QComboBox* channels_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  // Text typed into a box leaves it without a selected entry.
  bool codeTyped_ = false;
  bool channelsTyped_ = false;
};

}  // namespace rz::gui
