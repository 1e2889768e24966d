#include "debug_dlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMetaObject>
#include <QPushButton>

#include "app/sound.h"
#include "app/station.h"
#include "debug/debug_texts.h"
#include "dialog_units.h"
#include "journal_view.h"

namespace rz::gui {

namespace {

struct UnitRect {
  int x, y, w, h;
};
constexpr int kWindowWidth = 259;
constexpr int kWindowHeight = 163;
constexpr UnitRect kFirstButton{7, 7, 67, 18};
constexpr int kButtonPitch = 19;
constexpr UnitRect kFields[] = {{81, 20, 56, 13}, {137, 20, 56, 13}, {193, 20, 56, 13}};
constexpr UnitRect kLabels[] = {{81, 7, 56, 12}, {137, 7, 56, 12}, {193, 7, 56, 12}};
constexpr UnitRect kJournal{81, 35, 168, 100};
constexpr UnitRect kStatusLine{7, 140, 242, 16};
constexpr int kJournalColumnPixels = 267;
constexpr int kExitButton = rz::kDebugButtons;
// UP on "Ethernet" moves five tab stops on, to "Выход"; DOWN on "Выход" one, to "Ethernet".
constexpr int kStopsFromFirstToLast = rz::kDebugButtons - 1;

QString Utf8(const char* text) { return QString::fromUtf8(text); }

QFont ConsoleFont() {
  // Designed for Lucida Console 9 pt; DejaVu Sans Mono is the monospaced
  // font with Cyrillic that Linux machines have.
  QFont font(QStringLiteral("DejaVu Sans Mono"), 9);
  font.setStyleHint(QFont::Monospace);
  return font;
}

}  // namespace

void ShowHelpMessageBox(const QString& caption, const QString& text, QWidget* owner) {
  QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, owner);
  box.exec();
}

CDebugDlg::CDebugDlg(rz::Station& station, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      station_(station),
      context_{station, *this, state_},
      journal_(this),
      presenter_(ShowHelpMessageBox) {
  setModal(true);
  setFont(ConsoleFont());
  setWindowTitle(Utf8(rz::debugtext::kCaption));
  CreateControls();
  // Initialisation: the idle hint, the fields disabled, focus index 1.
  statusLine_->setText(Utf8(rz::debugtext::kStatusIdle));
  EnableFields(false, false, false);
  state_.focusIndex.store(1);
  state_.targetMode.store(0);
  Button(1)->setFocus();
  qApp->installEventFilter(this);
}

CDebugDlg::~CDebugDlg() {
  qApp->removeEventFilter(this);
  // Normally the thread has ended with target mode ("Выход" is disabled
  // meanwhile). Should the window go while it runs, end target mode and let
  // the thread's last window calls through before waiting for it.
  while (targetRunning_.load()) {
    station_.flags.RequestAbort();
    QApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  if (target_.joinable()) target_.join();
}

void CDebugDlg::SetHelpPresenter(HelpPresenter presenter) {
  presenter_ = presenter ? std::move(presenter) : HelpPresenter(ShowHelpMessageBox);
}

void CDebugDlg::CreateControls() {
  const DialogUnits units(font());
  setFixedSize(units.Size(kWindowWidth, kWindowHeight));
  auto place = [&units](QWidget* widget, const UnitRect& r) { widget->setGeometry(units.Rect(r.x, r.y, r.w, r.h)); };

  for (int i = 1; i <= rz::kDebugButtons; ++i) {
    const char* caption = i == kExitButton ? rz::debugtext::kExitButton : rz::debugtext::kTargetButtons[i - 1];
    auto* button = new QPushButton(Utf8(caption), this);
    place(button, {kFirstButton.x, kFirstButton.y + (i - 1) * kButtonPitch, kFirstButton.w, kFirstButton.h});
    button->setFocusPolicy(Qt::StrongFocus);
    button->setAutoDefault(false);
    buttons_[static_cast<std::size_t>(i)] = button;
    if (i == kExitButton) {
      connect(button, &QPushButton::clicked, this, &CDebugDlg::OnExit);
    } else {
      connect(button, &QPushButton::clicked, this, [this, i] { OnTargetButton(i); });
    }
    if (i > 1) setTabOrder(buttons_[static_cast<std::size_t>(i - 1)], button);
  }

  const char* labels[] = {rz::debugtext::kOperationLabel, rz::debugtext::kAddressLabel, rz::debugtext::kDataLabel};
  QWidget* previous = Button(kExitButton);
  for (std::size_t i = 0; i < 3; ++i) {
    auto* label = new QLabel(Utf8(labels[i]), this);
    place(label, kLabels[i]);
    label->setAlignment(Qt::AlignCenter);
    label->setFrameStyle(QFrame::Box | QFrame::Plain);
    auto* field = new QLineEdit(this);
    place(field, kFields[i]);
    field->setFocusPolicy(Qt::StrongFocus);
    fields_[i] = field;
    setTabOrder(previous, field);
    previous = field;
  }

  journalView_ = new JournalView(kJournalColumnPixels, QFontMetrics(font()).height() + 2, this);
  place(journalView_, kJournal);
  journalView_->setModel(&journal_);
  connect(&journal_, &JournalModel::Published, this, [this] {
    if (journal_.PublishedCount() > 0) journalView_->ScrollToRow(journal_.PublishedCount() - 1);
  });

  statusLine_ = new QLabel(this);
  place(statusLine_, kStatusLine);
  statusLine_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  statusLine_->setAlignment(Qt::AlignCenter);
}

QPushButton* CDebugDlg::Button(int number) const { return buttons_.at(static_cast<std::size_t>(number)); }

QLineEdit* CDebugDlg::Field(rz::DebugField field) const { return fields_.at(static_cast<std::size_t>(field)); }

int CDebugDlg::FocusedButton() const {
  const QWidget* focus = focusWidget();
  for (int i = 1; i <= rz::kDebugButtons; ++i) {
    if (Button(i) == focus) return i;
  }
  return 0;
}

// --- Window operations (any thread) -------------------------------------------

template <typename Apply>
void CDebugDlg::OnGuiThread(Apply&& apply) {
  calls_.Run(std::function<void()>(std::ref(apply)));
}

void CDebugDlg::AddDebugLine(int mode, const std::string& text) {
  // Only negative modes replace lines.
  if (mode > 0) return;
  OnGuiThread([&] {
    journal_.Add(mode, text);
    journal_.Publish();
  });
}

void CDebugDlg::SetDebugStatus(const std::string& text) {
  OnGuiThread([&] { statusLine_->setText(QString::fromStdString(text)); });
}

void CDebugDlg::RestoreDebugFocus(std::uint8_t count) {
  for (int i = 0; i < count; ++i) {
    QMetaObject::invokeMethod(this, [this] { NextTabStop(); }, Qt::QueuedConnection);
  }
}

void CDebugDlg::EnableTargetButtons(bool enable) {
  OnGuiThread([&] {
    for (int i = 1; i <= rz::kDebugButtons; ++i) Button(i)->setEnabled(enable);
    state_.helpText.store(0);
  });
}

void CDebugDlg::EnableFields(bool operation, bool address, bool dataField) {
  OnGuiThread([&] {
    fields_[0]->setEnabled(operation);
    fields_[1]->setEnabled(address);
    fields_[2]->setEnabled(dataField);
  });
}

void CDebugDlg::ClearFields(bool operation, bool address, bool dataField) {
  OnGuiThread([&] {
    const bool clear[] = {operation, address, dataField};
    for (std::size_t i = 0; i < 3; ++i) {
      if (clear[i]) fields_[i]->clear();
    }
  });
}

void CDebugDlg::RequestOperationFocus() {
  QMetaObject::invokeMethod(this, [this] { fields_[0]->setFocus(Qt::OtherFocusReason); }, Qt::QueuedConnection);
}

void CDebugDlg::RequestJournalFocus() {
  QMetaObject::invokeMethod(this, [this] { journalView_->setFocus(Qt::OtherFocusReason); }, Qt::QueuedConnection);
}

void CDebugDlg::SetFieldLimits(const rz::FieldLimits& limits) {
  OnGuiThread([&] {
    fields_[0]->setMaxLength(limits.operation);
    fields_[1]->setMaxLength(limits.address);
    fields_[2]->setMaxLength(limits.data);
  });
}

std::string CDebugDlg::ReadField(rz::DebugField field, int limit) {
  std::string text;
  OnGuiThread([&] { text = Field(field)->text().left(limit < 0 ? 0 : limit).toStdString(); });
  return text;
}

// --- Focus -------------------------------------------------------------------

void CDebugDlg::NextTabStop() {
  std::array<QWidget*, rz::kDebugButtons + 3> stops{};
  for (int i = 1; i <= rz::kDebugButtons; ++i) stops[static_cast<std::size_t>(i - 1)] = Button(i);
  for (std::size_t i = 0; i < 3; ++i) stops[rz::kDebugButtons + i] = fields_[i];
  const QWidget* focus = focusWidget();
  std::size_t from = stops.size();  // not a tab stop: start from the first
  for (std::size_t i = 0; i < stops.size(); ++i) {
    if (stops[i] == focus) from = i;
  }
  for (std::size_t step = 1; step <= stops.size(); ++step) {
    QWidget* candidate = stops[(from + step) % stops.size()];
    if (from == stops.size()) candidate = stops[step - 1];
    if (candidate->isEnabled()) {
      candidate->setFocus(Qt::TabFocusReason);
      return;
    }
  }
}

void CDebugDlg::OnFieldFocus(QObject* field) {
  const rz::DebugTarget* target = rz::FindDebugTarget(state_.focusIndex.load());
  if (target == nullptr) return;
  const std::string operation = fields_[0]->text().left(static_cast<int>(rz::kHintOperationChars)).toStdString();
  if (field == fields_[0]) {
    statusLine_->setText(Utf8(rz::OperationList(*target)));
    state_.helpText.store(target->number);
  } else if (field == fields_[1]) {
    statusLine_->setText(Utf8(target->addressHint(operation)));
    state_.helpText.store(0);
  } else {
    statusLine_->setText(Utf8(target->dataHint(operation)));
    state_.helpText.store(0);
  }
}

// --- Commands ----------------------------------------------------------------

void CDebugDlg::accept() { station_.flags.runRequest.store(1); }

void CDebugDlg::reject() { station_.flags.RequestAbort(); }

void CDebugDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The window opens as if TAB had brought the focus to its first button, so
  // that the style draws the focus frame there.
  setAttribute(Qt::WA_KeyboardFocusChange);
  if (QWidget* focus = focusWidget()) focus->update();
}

void CDebugDlg::closeEvent(QCloseEvent* event) {
  if (closing_) {
    QDialog::closeEvent(event);
    return;
  }
  event->ignore();
  // The window asks for no close box; where a window manager shows one all the
  // same, it acts as "Выход", or as ESC while "Выход" is disabled.
  if (!event->spontaneous()) return;
  if (Button(kExitButton)->isEnabled()) {
    OnExit();
  } else {
    reject();
  }
}

void CDebugDlg::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: accept(); return;
    case Qt::Key_Escape: reject(); return;
    default: QDialog::keyPressEvent(event);
  }
}

void CDebugDlg::OnTargetButton(int number) {
  const rz::DebugTarget* target = rz::FindDebugTarget(number);
  if (target == nullptr || targetRunning_.load()) return;
  // The last thread has given the buttons back, so it only posts and clears
  // its flags from there on: waiting for it cannot block.
  if (target_.joinable()) target_.join();
  rz::EnterTargetMode(context_, *target);
  targetRunning_.store(true);
  target_ = std::thread([this, target] {
    rz::RunTargetThread(context_, *target);
    targetRunning_.store(false);
  });
}

void CDebugDlg::OnExit() {
  closing_ = true;
  done(QDialog::Accepted);
}

void CDebugDlg::ShowHelp() {
  const rz::DebugTarget* target = rz::FindDebugTarget(state_.helpText.load());
  if (target == nullptr) return;
  presenter_(Utf8(rz::debugtext::kHelpCaption), Utf8(rz::HelpText(*target)), this);
}

void CDebugDlg::Beep() { rz::ConfirmationBeep(station_.Sound()); }

// --- Keys --------------------------------------------------------------------

bool CDebugDlg::eventFilter(QObject* watched, QEvent* event) {
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr || widget->window() != this) return false;
  switch (event->type()) {
    case QEvent::KeyPress: return FilterKey(*static_cast<QKeyEvent*>(event));
    case QEvent::FocusIn:
      for (QLineEdit* field : fields_) {
        if (watched == field) OnFieldFocus(field);
      }
      return false;
    case QEvent::MouseButtonPress:
      if (watched == statusLine_) ShowHelp();
      return false;
    default: return false;
  }
}

bool CDebugDlg::FilterKey(QKeyEvent& event) {
  const int key = event.key();
  if (key == Qt::Key_Space) return true;
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    // ENTER presses the focused button; anywhere else it is the run request.
    if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button != nullptr && button->isEnabled()) {
      button->click();
    } else {
      accept();
    }
    return true;
  }
  if (key == Qt::Key_Escape) {
    reject();
    return true;
  }
  if (state_.targetMode.load() == 1) return false;

  auto& index = state_.focusIndex;
  const int current = index.load();
  switch (key) {
    case Qt::Key_Tab:
      if (current == kExitButton) {
        index.store(1);
        Beep();
      } else {
        index.store(static_cast<std::uint8_t>(current + 1));
      }
      return false;
    case Qt::Key_Backtab:
      index.store(static_cast<std::uint8_t>(current == 1 ? kExitButton : current - 1));
      return false;
    case Qt::Key_Up:
      if (current == 1) {
        index.store(kExitButton);
        Beep();
        RestoreDebugFocus(kStopsFromFirstToLast);
      } else {
        index.store(static_cast<std::uint8_t>(current - 1));
        if (const int focused = FocusedButton(); focused > 1) Button(focused - 1)->setFocus(Qt::TabFocusReason);
      }
      return true;
    case Qt::Key_Down:
      if (current == kExitButton) {
        index.store(1);
        Beep();
        RestoreDebugFocus(1);
      } else {
        index.store(static_cast<std::uint8_t>(current + 1));
        if (const int focused = FocusedButton(); focused != 0 && focused < kExitButton) {
          Button(focused + 1)->setFocus(Qt::TabFocusReason);
        }
      }
      return true;
    case Qt::Key_Left:
    case Qt::Key_Right: return true;
    default: return false;
  }
}

}  // namespace rz::gui
