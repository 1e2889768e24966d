#include "test_params_dlg.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <iterator>

#include "boardtests/external_com_texts.h"
#include "boardtests/test_params_dialog.h"
#include "dialog_units.h"
#include "edit_rule_input.h"

namespace rz::gui {
namespace {

// Dialog geometry in dialog units (x, y, width, height).
constexpr int kWidth = 163;
constexpr int kHeight = 142;
constexpr UnitRect kFrame{7, 0, 149, 116};
constexpr UnitRect kSpeedLabel{48, 13, 33, 8};
constexpr UnitRect kSpeedList{87, 9, 58, 68};
constexpr UnitRect kTestLabel{30, 30, 17, 8};
constexpr UnitRect kFifoList{53, 26, 92, 68};
constexpr UnitRect kBlockLabel{31, 48, 49, 8};
constexpr UnitRect kBlockEdit{87, 43, 58, 13};
constexpr UnitRect kLineLabel{14, 65, 24, 8};
constexpr UnitRect kLineList{44, 61, 101, 68};
constexpr UnitRect kCodeLabel{19, 82, 48, 8};
constexpr UnitRect kCodeBox{73, 78, 72, 56};
constexpr UnitRect kChannelsLabel{19, 100, 70, 8};
constexpr UnitRect kChannelsBox{97, 96, 48, 45};
constexpr UnitRect kOk{23, 121, 50, 14};
constexpr UnitRect kCancel{89, 121, 50, 14};

QFont DialogFont() {
  // The dialog's design font is MS Sans Serif 8; DejaVu Sans is the
  // proportional font with Cyrillic that Linux machines have.
  QFont font(QStringLiteral("DejaVu Sans"), 8);
  font.setStyleHint(QFont::SansSerif);
  return font;
}

QString Utf8(const char* text) { return QString::fromUtf8(text); }

template <std::size_t N>
void Fill(QComboBox* box, const char* const (&items)[N]) {
  for (std::size_t i = 0; i < N; ++i) box->insertItem(static_cast<int>(i), Utf8(items[i]));
}

}  // namespace

CTestParamsDlg::CTestParamsDlg(rz::ExtComParams& params, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      params_(params) {
  setFont(DialogFont());
  setWindowTitle(Utf8(rz::text::kParamsCaption));
  const DialogUnits units(font());
  setFixedSize(units.Size(kWidth, kHeight));
  auto place = [&units](QWidget* widget, const UnitRect& r) {
    // A drop-down list's template height includes its open list; the closed
    // box is as high as the style makes it.
    const bool list = qobject_cast<QComboBox*>(widget) != nullptr;
    widget->setGeometry(units.Rect(r.x, r.y, r.w, list ? 0 : r.h));
    if (list) widget->resize(widget->width(), widget->sizeHint().height());
  };
  auto label = [&](const char* text, const UnitRect& r) {
    auto* widget = new QLabel(Utf8(text), this);
    place(widget, r);
    // Where the replacement font is wider, the label grows to the left, up to
    // the frame, keeping its right edge next to its control.
    const int wanted = std::min(widget->sizeHint().width(), widget->x() + widget->width() - units.X(kFrame.x + 2));
    if (wanted > widget->width()) {
      widget->setGeometry(widget->x() + widget->width() - wanted, widget->y(), wanted, widget->height());
    }
  };

  place(new QGroupBox(this), kFrame);

  label(rz::text::kParamsSpeedLabel, kSpeedLabel);
  speed_ = new QComboBox(this);
  Fill(speed_, rz::text::kParamsSpeeds);
  place(speed_, kSpeedList);

  label(rz::text::kParamsTestLabel, kTestLabel);
  fifo_ = new QComboBox(this);
  Fill(fifo_, rz::text::kParamsFifoModes);
  place(fifo_, kFifoList);

  label(rz::text::kParamsBlockLabel, kBlockLabel);
  block_ = new QLineEdit(this);
  ApplyEditRule(*block_, rz::kBlockSizeEdit);
  place(block_, kBlockEdit);

  label(rz::text::kParamsLineLabel, kLineLabel);
  line_ = new QComboBox(this);
  Fill(line_, rz::text::kParamsLineModes);
  place(line_, kLineList);

  label(rz::text::kParamsCodeLabel, kCodeLabel);
  code_ = EditableBox(rz::text::kParamsCodes, static_cast<int>(std::size(rz::text::kParamsCodes)), codeTyped_);
  place(code_, kCodeBox);

  label(rz::text::kParamsChannelsLabel, kChannelsLabel);
  channels_ = EditableBox(rz::text::kParamsChannelCounts,
                          static_cast<int>(std::size(rz::text::kParamsChannelCounts)), channelsTyped_);
  place(channels_, kChannelsBox);

  ok_ = new QPushButton(Utf8(rz::text::kParamsOk), this);
  place(ok_, kOk);
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, &CTestParamsDlg::accept);
  cancel_ = new QPushButton(Utf8(rz::text::kParamsCancel), this);
  place(cancel_, kCancel);
  connect(cancel_, &QPushButton::clicked, this, &CTestParamsDlg::reject);

  // Each list selects the entry of the current parameter (none when it has
  // no such entry); the edit shows the block size.
  const rz::ExtComDialogChoice current = rz::DialogOpeningChoice(params_);
  speed_->setCurrentIndex(current.speedIndex);
  fifo_->setCurrentIndex(current.fifoIndex);
  line_->setCurrentIndex(current.lineIndex);
  code_->setCurrentIndex(current.codeIndex);
  channels_->setCurrentIndex(current.channelIndex);
  block_->setText(QString::fromStdString(current.blockText));
  speed_->setFocus();
}

QComboBox* CTestParamsDlg::EditableBox(const char* const* items, int count, bool& typed) {
  auto* box = new QComboBox(this);
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);
  box->setCompleter(nullptr);
  for (int i = 0; i < count; ++i) box->insertItem(i, Utf8(items[i]));
  connect(box->lineEdit(), &QLineEdit::textEdited, this, [&typed] { typed = true; });
  connect(box, &QComboBox::activated, this, [&typed] { typed = false; });
  return box;
}

rz::ExtComDialogChoice CTestParamsDlg::Choice() const {
  rz::ExtComDialogChoice choice;
  choice.speedIndex = speed_->currentIndex();
  choice.fifoIndex = fifo_->currentIndex();
  choice.blockText = rz::EditClip(rz::kBlockSizeEdit, block_->text().toStdString());
  choice.lineIndex = line_->currentIndex();
  choice.codeIndex = codeTyped_ ? -1 : code_->currentIndex();
  choice.channelIndex = channelsTyped_ ? -1 : channels_->currentIndex();
  return choice;
}

void CTestParamsDlg::accept() {
  params_ = rz::ApplyDialogOk(params_, Choice());
  QDialog::accept();
}

}  // namespace rz::gui
