#include "station_dlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMetaObject>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QTimerEvent>

#include <algorithm>
#include <cstdlib>

#include "app/controls.h"
#include "app/results_log.h"
#include "app/sound.h"
#include "app/texts.h"
#include "dialog_units.h"
#include "journal_view.h"
#include "operations/control_handlers.h"
#include "operations/station.h"
#include "qt_station_ui.h"
#include "session/startup.h"
#include "test_params_dlg.h"

namespace rz::gui {
namespace {

constexpr int kJournalColumnPixels = 395;

// How often an ending run looks whether the operation has stopped.
constexpr int kEndPollMs = 20;
// How often the status line's remark is asked for.
constexpr int kStatusRemarkMs = 1000;
// Exit status of a process that had to leave a running operation behind.
constexpr int kExitOperationLeftBehind = 1;

QFont StationFont() {
  // The window's design font is Lucida Console 9 pt; DejaVu Sans Mono is the
  // monospaced font with Cyrillic that Linux machines have.
  QFont font(QStringLiteral("DejaVu Sans Mono"), 9);
  font.setStyleHint(QFont::Monospace);
  return font;
}

QString Utf8(const char* text) { return QString::fromUtf8(text); }

// The template's sizes assume the design font's metrics. Where a text does not
// fit in the replacement font, the control grows, but not into its right-hand
// neighbour (which starts at pixel `rightLimit`).
void GrowToFit(QWidget* widget, int rightLimit, const DialogUnits& units) {
  const int limit = rightLimit - widget->x() - units.X(1);
  const int width = std::max(widget->width(), std::min(widget->sizeHint().width(), limit));
  widget->resize(width, widget->height());
}

}  // namespace

CStationDlg::CStationDlg(rz::Station& station, QtStationUi& ui, QWidget* parent)
    // A top-level window of its own (not a dialog transient for nothing), so
    // that window managers list it in the task bar and minimise it.
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      station_(station),
      ui_(ui),
      model_(station.flags),
      journal_(this) {
  setFont(StationFont());
  setWindowTitle(Utf8(rz::text::kWindowCaption));
  setWindowIcon(style()->standardIcon(QStyle::SP_ComputerIcon));
  CreateControls();
  runTestParamsDialog = [this] {
    CTestParamsDlg dialog(station_.extCom.params, this);
    dialog.exec();
  };
  ui_.Attach(this);
  qApp->installEventFilter(this);
}

CStationDlg::~CStationDlg() {
  qApp->removeEventFilter(this);
  ui_.Attach(nullptr);
}

int CStationDlg::ButtonWidening(const DialogUnits& units) const {
  // Every caption a button can show, with room for a character on each side.
  QPushButton probe;
  probe.setFont(font());
  int widest = 0;
  const auto measure = [&](const char* caption) {
    probe.setText(Utf8(caption));
    widest = std::max(widest, probe.sizeHint().width());
  };
  for (const rz::ControlRow& row : rz::kMainWindowControls) {
    if (row.role == rz::ControlRole::Button) measure(row.caption);
  }
  for (const char* caption : {rz::text::kServiceComV7, rz::text::kServiceComV5, rz::text::kFlashTestOn,
                              rz::text::kFlashTestOff, rz::text::kFileToFlashAny, rz::text::kFileToFlashRzi}) {
    measure(caption);
  }
  widest += 2 * QFontMetrics(font()).averageCharWidth();
  return std::max(0, widest - units.X(rz::ControlOf(rz::Button::Download).rect.w));
}

void CStationDlg::CreateControls() {
  const DialogUnits units(font());
  // The buttons grow to their longest caption; what stands right of them
  // moves right by as much, what starts left of their right edge (the status
  // line) grows with them, and the window grows too.
  const int widening = ButtonWidening(units);
  const rz::UnitRect& firstButton = rz::ControlOf(rz::Button::Download).rect;
  const auto place = [&](QWidget* widget, const rz::UnitRect& r) {
    const QRect rect = units.Rect(r);
    const bool grows = r.x < firstButton.x + firstButton.w;
    widget->setGeometry(grows ? rect + QMargins(0, 0, widening, 0) : rect.translated(widening, 0));
  };
  setFixedSize(units.Size(rz::kMainWindowRect.w, rz::kMainWindowRect.h) + QSize(widening, 0));

  // Created in the table's order: the buttons, in focus-index order, are the
  // only tab stops.
  for (const rz::ControlRow& row : rz::kMainWindowControls) {
    switch (row.role) {
      case rz::ControlRole::Button:
        CreateButton(row);
        break;
      case rz::ControlRole::StatusLine:
        statusLine_ = new QLabel(this);
        statusLine_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        statusLine_->setAlignment(Qt::AlignCenter);
        break;
      case rz::ControlRole::Journal:
        journalView_ = new rz::gui::JournalView(kJournalColumnPixels, QFontMetrics(font()).height() + 2, this);
        journalView_->setModel(&journal_);
        connect(&journal_, &JournalModel::Published, this, &CStationDlg::ScrollWhenPublished);
        break;
      case rz::ControlRole::SelectorFrame:
        selectorFrame_ = new QGroupBox(this);
        break;
      case rz::ControlRole::EthernetSwitch:
        ethernetSwitch_ = new QCheckBox(Utf8(row.caption), this);
        break;
      case rz::ControlRole::PortSelector:
        portSelector_ = new QComboBox(this);
        break;
      case rz::ControlRole::CpuSelector:
        cpuSelector_ = new QComboBox(this);
        break;
      case rz::ControlRole::SoundLabel:
        soundLabel_ = new QLabel(Utf8(row.caption), this);
        break;
      case rz::ControlRole::VerifyLabel:
        verifyLabel_ = new QLabel(Utf8(row.caption), this);
        break;
    }
    place(row.role == rz::ControlRole::Button ? Button(static_cast<int>(row.button)) : Control(row.role), row.rect);
  }
  Button(1)->setDefault(true);

  // Drop-down lists are as high as the style makes the closed box (the
  // template height includes the open list).
  // The selectors and the Ethernet switch never take the keyboard focus, not
  // even by a click, so that it stays on the button that the focus index
  // names (a choice cancelled or refused leaves both as they were).
  for (QComboBox* box : {portSelector_, cpuSelector_}) {
    box->setFocusPolicy(Qt::NoFocus);
    box->resize(box->width(), box->sizeHint().height());
  }
  // Only a choice by the operator starts an operation; programmatic changes
  // (the workers' SetSelectorIndex) do not.
  connect(portSelector_, &QComboBox::activated, this,
          [this] { rz::OnPortSelectorChanged(station_); });
  connect(cpuSelector_, &QComboBox::activated, this,
          [this] { rz::OnCpuSelectorChanged(station_); });

  ethernetSwitch_->setFocusPolicy(Qt::NoFocus);
  GrowToFit(ethernetSwitch_, units.X(rz::ControlOf(rz::ControlRole::SoundLabel).rect.x) + widening, units);
  connect(ethernetSwitch_, &QCheckBox::clicked, this, [this] {
    if (onEthernetSwitchClicked) {
      onEthernetSwitchClicked();
    } else {
      rz::OnEthernetSwitchClicked(station_);
    }
  });

  const rz::UnitRect& frame = rz::ControlOf(rz::ControlRole::SelectorFrame).rect;
  GrowToFit(soundLabel_, units.X(frame.x + frame.w) + widening, units);
}

void CStationDlg::CreateButton(const rz::ControlRow& row) {
  const int focusIndex = static_cast<int>(row.button);
  auto* button = new QPushButton(Utf8(row.caption), this);
  button->setFocusPolicy(Qt::StrongFocus);
  button->setAutoDefault(true);
  buttons_[static_cast<std::size_t>(focusIndex)] = button;
  if (row.button == rz::Button::Exit) {
    connect(button, &QPushButton::clicked, this, &CStationDlg::OnExit);
  } else {
    connect(button, &QPushButton::clicked, this, [this, focusIndex] { OnButtonClicked(focusIndex); });
  }
  if (focusIndex > 1) setTabOrder(Button(focusIndex - 1), button);
}

QWidget* CStationDlg::Control(rz::ControlRole role) const {
  switch (role) {
    case rz::ControlRole::StatusLine:
      return statusLine_;
    case rz::ControlRole::Journal:
      return journalView_;
    case rz::ControlRole::SelectorFrame:
      return selectorFrame_;
    case rz::ControlRole::EthernetSwitch:
      return ethernetSwitch_;
    case rz::ControlRole::PortSelector:
      return portSelector_;
    case rz::ControlRole::CpuSelector:
      return cpuSelector_;
    case rz::ControlRole::SoundLabel:
      return soundLabel_;
    case rz::ControlRole::VerifyLabel:
      return verifyLabel_;
    case rz::ControlRole::Button:
      break;
  }
  return nullptr;
}

void CStationDlg::InitDialog() {
  SetStatusText(rz::text::kStatusIdle);

  portSelector_->clear();
  for (const char* entry : rz::text::kPortEntries) portSelector_->addItem(Utf8(entry));
  portSelector_->setCurrentIndex(station_.Port() == nullptr ? rz::kPortEntryNone
                                                            : rz::kPortEntryCom1);

  cpuSelector_->clear();
  for (const char* entry : rz::text::kCpuEntries) cpuSelector_->addItem(Utf8(entry));
  cpuSelector_->setCurrentIndex(rz::kCpuEntry74);
  FitSelectors();

  UpdateLabels();
  ethernetSwitch_->setChecked(false);
  UpdateModeCaptions();

  model_.Initialise();
  Button(1)->setFocus();
}

void CStationDlg::FitSelectors() {
  // Once they have entries, the lists may grow to show the longest one.
  const DialogUnits units(font());
  GrowToFit(portSelector_, cpuSelector_->x(), units);
  GrowToFit(cpuSelector_, ethernetSwitch_->x(), units);
}

void CStationDlg::showEvent(QShowEvent* event) {
  if (!initialised_) {
    initialised_ = true;
    InitDialog();
  }
  QDialog::showEvent(event);
}

// --- Window operations -------------------------------------------------------

void CStationDlg::AddJournalLine(int mode, const std::string& text) {
  journal_.Add(mode, text);
  scrollTarget_ = journal_.Count() - 1;
  ScrollWhenPublished();
}

void CStationDlg::SetJournalLine(int line, const std::string& text) {
  if (!journal_.Set(line, text)) return;
  scrollTarget_ = line;
  ScrollWhenPublished();
}

void CStationDlg::ScrollWhenPublished() {
  if (scrollTarget_ < 0 || scrollTarget_ >= journal_.PublishedCount()) return;
  journalView_->ScrollToRow(scrollTarget_);
  scrollTarget_ = -1;
}

void CStationDlg::InsertJournalLine(int line, const std::string& text) {
  journal_.Insert(line, text);
}

void CStationDlg::DeleteJournalLine(int line) { journal_.Erase(line); }

void CStationDlg::SetStatusText(const std::string& text) {
  statusLine_->setText(QString::fromStdString(statusText_.SetStatus(text)));
}

void CStationDlg::WatchStatusRemark(std::function<std::string()> remark) {
  auto* timer = new QTimer(this);
  connect(timer, &QTimer::timeout, this, [this, remark = std::move(remark)] {
    if (const auto text = statusText_.SetRemark(remark())) statusLine_->setText(QString::fromStdString(*text));
  });
  timer->start(kStatusRemarkMs);
}

void CStationDlg::SetOperationControlsEnabled(bool enable) {
  // The focus is parked on the window itself, so that disabling the focused
  // button does not walk the focus along the remaining buttons.
  if (!enable && rz::StationWindowModel::ParkFocus(FocusedButton())) setFocus();
  for (int i = 1; i <= kButtons; ++i) Button(i)->setEnabled(enable);
  portSelector_->setEnabled(enable);
  ethernetSwitch_->setEnabled(enable);
  if (enable) TabTo(model_.FocusAfterEnabling(FocusedButton()));
}

void CStationDlg::SetSelectorEnabled(rz::Selector selector, bool enable) {
  (selector == rz::Selector::Port ? portSelector_ : cpuSelector_)->setEnabled(enable);
}

void CStationDlg::PostNextControlRequests(int count) {
  for (int i = 0; i < count; ++i) {
    QMetaObject::invokeMethod(this, &CStationDlg::NextControl, Qt::QueuedConnection);
  }
}

void CStationDlg::NextControl() { TabFrom(+1); }

void CStationDlg::TabFrom(int step) {
  TabTo(rz::StationWindowModel::NextControlTarget(FocusedButton(), [this](int i) { return ButtonEnabled(i); },
                                                  step));
}

void CStationDlg::TabTo(int focusIndex) {
  if (focusIndex != 0) Button(focusIndex)->setFocus(Qt::TabFocusReason);
}

bool CStationDlg::ButtonEnabled(int focusIndex) const { return Button(focusIndex)->isEnabled(); }

void CStationDlg::FocusJournal() { journalView_->setFocus(); }

int CStationDlg::SelectorIndex(rz::Selector selector) const {
  return (selector == rz::Selector::Port ? portSelector_ : cpuSelector_)->currentIndex();
}

void CStationDlg::SetSelectorIndex(rz::Selector selector, int index) {
  QComboBox* box = selector == rz::Selector::Port ? portSelector_ : cpuSelector_;
  box->setCurrentIndex(index >= 0 && index < box->count() ? index : rz::kNoEntry);
}

bool CStationDlg::EthernetSwitch() const { return ethernetSwitch_->isChecked(); }

void CStationDlg::SetEthernetSwitch(bool checked) { ethernetSwitch_->setChecked(checked); }

void CStationDlg::UpdateModeCaptions() {
  const rz::ModeCaptions captions = model_.Captions();
  Button(static_cast<int>(rz::Button::ServiceCom))->setText(Utf8(captions.serviceCom));
  Button(static_cast<int>(rz::Button::Flash))->setText(Utf8(captions.flash));
  Button(static_cast<int>(rz::Button::FileToFlash))->setText(Utf8(captions.fileToFlash));
}

void CStationDlg::UpdateLabels() {
  soundLabel_->setText(Utf8(model_.SoundLabel()));
  verifyLabel_->setText(Utf8(model_.VerifyLabel()));
}

QPushButton* CStationDlg::Button(int focusIndex) const {
  return buttons_.at(static_cast<std::size_t>(focusIndex));
}

int CStationDlg::FocusedButton() const {
  const QWidget* focus = focusWidget();
  for (int i = 1; i <= kButtons; ++i) {
    if (Button(i) == focus) return i;
  }
  return 0;
}

// --- Commands ----------------------------------------------------------------

void CStationDlg::accept() { model_.OnOk(); }

void CStationDlg::reject() { model_.OnCancel(); }

void CStationDlg::closeEvent(QCloseEvent* event) {
  if (closing_) {
    QDialog::closeEvent(event);
    return;
  }
  // A window manager that shows a close box (or takes Alt+F4) although the
  // window asked for none: end the run as the exit button does.
  if (event->spontaneous()) EndRun();
  event->ignore();
}

void CStationDlg::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      // A focused button has taken ENTER already; here no button did.
      accept();
      return;
    case Qt::Key_Escape:
      reject();
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}

void CStationDlg::OnButtonClicked(int focusIndex) {
  rz::PressButton(station_, static_cast<rz::Button>(focusIndex));
}

void CStationDlg::OnExit() {
  rz::WriteResultsLog(station_);
  closing_ = true;
  done(QDialog::Accepted);
}

void CStationDlg::EndRun() {
  if (runEnd_) return;
  runEnd_.emplace(station_, rz::RunEnd::Clock::now());
  endTimer_ = new QTimer(this);
  connect(endTimer_, &QTimer::timeout, this, &CStationDlg::ContinueEnd);
  endTimer_->start(kEndPollMs);
  ContinueEnd();
}

void CStationDlg::ContinueEnd() {
  // Dialogs over the window (a message box, a file dialog, the debug window)
  // are closed as cancelled, so that their event loops return and the
  // operation waiting for them can see ESC. A worker may open another one
  // meanwhile: every step closes what is open.
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    auto* dialog = qobject_cast<QDialog*>(widget);
    if (dialog != nullptr && dialog != this && dialog->isVisible()) dialog->done(QDialog::Rejected);
  }
  switch (runEnd_->Poll(rz::RunEnd::Clock::now())) {
    case rz::RunEnd::Step::Waiting:
      return;
    case rz::RunEnd::Step::Stopped:
      endTimer_->stop();
      OnExit();
      return;
    case rz::RunEnd::Step::GaveUp:
      // Keep what the operation reported; its thread ends with the process.
      endTimer_->stop();
      rz::WriteResultsLog(station_);
      std::_Exit(kExitOperationLeftBehind);
  }
}

void CStationDlg::FollowFocus(QWidget* now) {
  for (int i = 1; i <= kButtons; ++i) {
    if (Button(i) == now) model_.OnButtonFocused(i);
  }
}

// --- Keys --------------------------------------------------------------------

bool CStationDlg::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::KeyPress && type != QEvent::Wheel && type != QEvent::FocusIn) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr || widget->window() != this) return false;
  if (type == QEvent::FocusIn) {
    // However a button got the focus (a key, the mouse even without a click
    // that follows, a dialog that closed), the focus index names it.
    FollowFocus(widget);
    return false;
  }
  if (type == QEvent::Wheel) {
    // A wheel turned over a selector that has no focus would pick a new entry
    // and start an operation: only a deliberate choice may do that.
    return qobject_cast<QComboBox*>(widget) != nullptr;
  }
  return HandleStationKey(ClassifyKey(*static_cast<QKeyEvent*>(event)));
}

void CStationDlg::RestartParamsTimer() {
  if (paramsTimerId_ != 0) killTimer(paramsTimerId_);
  paramsTimerId_ = startTimer(rz::kParamsTimerMs);
}

bool CStationDlg::HandleStationKey(rz::WindowKey key) {
  const rz::StationKeyAction action = model_.OnKey(key, FocusedButton());
  if (action.updateModeCaptions) UpdateModeCaptions();
  if (action.updateLabels) UpdateLabels();
  if (action.beep) rz::ConfirmationBeep(station_.Sound());
  if (action.restartParamsTimer) RestartParamsTimer();
  if (!action.passOn) return true;
  // Qt's own focus chain would also stop at the journal: the window makes the
  // standard moves among the buttons itself.
  switch (key) {
    case rz::WindowKey::Tab:
      TabFrom(+1);
      break;
    case rz::WindowKey::BackTab:
      TabFrom(-1);
      break;
    case rz::WindowKey::Up:
    case rz::WindowKey::Down:
      TabTo(rz::StationWindowModel::ArrowTarget(FocusedButton(), action.arrowStep,
                                                [this](int i) { return ButtonEnabled(i); }));
      break;
    default:
      return false;
  }
  PostNextControlRequests(action.nextControlRequests);
  return true;
}

// --- Pause of the external COM test -------------------------------------------

void CStationDlg::timerEvent(QTimerEvent* event) {
  if (model_.OnTimer().runParamsDialog) {
    if (paramsTimerId_ != 0) {
      killTimer(paramsTimerId_);
      paramsTimerId_ = 0;
    }
    if (runTestParamsDialog) runTestParamsDialog();
    model_.OnParamsDialogClosed();
  }
  QDialog::timerEvent(event);
}

}  // namespace rz::gui
