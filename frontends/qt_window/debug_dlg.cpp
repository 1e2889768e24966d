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
#include "debug/debug_texts.h"
#include "dialog_units.h"
#include "journal_view.h"
#include "key_events.h"
#include "operations/station.h"

namespace rz::gui {

namespace {

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
      model_(state_, station.flags),
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
  model_.Initialise();
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
  auto place = [&units](QWidget* widget, const UnitRect& r) { widget->setGeometry(units.Rect(r)); };

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
    model_.OnTargetButtonsChanged();
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
  const rz::DebugField which = field == fields_[0]   ? rz::DebugField::Operation
                               : field == fields_[1] ? rz::DebugField::Address
                                                     : rz::DebugField::Data;
  if (const char* status = model_.OnFieldFocus(which, fields_[0]->text().toStdString())) {
    statusLine_->setText(Utf8(status));
  }
}

// --- Commands ----------------------------------------------------------------

void CDebugDlg::accept() { model_.OnOk(); }

void CDebugDlg::reject() { model_.OnCancel(); }

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
  if (const auto help = model_.OnStatusClick()) presenter_(Utf8(help->caption), Utf8(help->text), this);
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
  const rz::WindowKey key = ClassifyKey(event);
  const rz::DebugKeyAction action = model_.OnKey(key);
  if (action.beep) Beep();
  RestoreDebugFocus(static_cast<std::uint8_t>(action.nextTabStopRequests));
  if (!action.passOn) return true;
  switch (key) {
    case rz::WindowKey::Enter:
      // ENTER presses the focused button; anywhere else it is the OK command.
      if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button != nullptr && button->isEnabled()) {
        button->click();
      } else {
        accept();
      }
      return true;
    case rz::WindowKey::Escape:
      reject();
      return true;
    default:
      break;
  }
  // The arrows' moves along the button column (and the wraps, which the
  // posted requests make) are the window's own: Qt would move differently.
  if (action.arrowStep == 0 && action.nextTabStopRequests == 0) return false;
  ArrowStep(action.arrowStep);
  return true;
}

void CDebugDlg::ArrowStep(int step) {
  const int focused = FocusedButton();
  const int target = focused + step;
  if (step != 0 && focused != 0 && target >= 1 && target <= rz::kDebugButtons) {
    Button(target)->setFocus(Qt::TabFocusReason);
  }
}

}  // namespace rz::gui
