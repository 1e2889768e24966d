#include "station_dlg.h"

#include <commctrl.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <thread>

#include "app/results_log.h"
#include "app/sound.h"
#include "app/texts.h"
#include "app/window_keys.h"
#include "control_text.h"
#include "list_view_journal.h"
#include "operations/control_handlers.h"
#include "operations/station.h"
#include "session/run_end.h"
#include "session/startup.h"
#include "station_resources.h"
#include "station_template.h"
#include "win32/win32_text.h"
#include "win32_station_ui.h"
#include "window_thread_call.h"

namespace rz::win32 {
namespace {

constexpr int kJournalColumnPixels = 395;
constexpr UINT_PTR kParamsTimer = 0;
// Asks for the status line's remark every second.
constexpr UINT_PTR kStatusRemarkTimer = 1;
constexpr UINT kStatusRemarkMs = 1000;
// Posted after a click on the Ethernet switch and after a selector's list has
// closed: a control that the mouse gave the focus and that no operation took
// it from hands it back to the button the focus index names.
constexpr UINT kReturnStrayFocus = WM_APP + 2;
// How often an ending session looks whether the operation has stopped.
constexpr auto kEndPoll = std::chrono::milliseconds(20);

}  // namespace

CStationDlg::CStationDlg(rz::Station& station, Win32StationUi& ui)
    : station_(station), ui_(ui), model_(station.flags) {}

CStationDlg::~CStationDlg() {
  ui_.Attach(nullptr);
  if (dialog_ != nullptr) ::DestroyWindow(dialog_);
  if (smallIcon_ != nullptr) ::DestroyIcon(smallIcon_);
}

bool CStationDlg::Create() {
  const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
  ui_.Attach(this);
  // The procedure stores the handle as soon as the window exists, so that
  // the initialisation already works on it.
  const std::vector<DWORD> dialogTemplate = StationDialogTemplate();
  const HWND created = ::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr),
                                                    reinterpret_cast<LPCDLGTEMPLATEW>(dialogTemplate.data()), nullptr,
                                                    DialogProc, reinterpret_cast<LPARAM>(this));
  if (created == nullptr) {
    ui_.Attach(nullptr);
    return false;
  }
  ::ShowWindow(dialog_, SW_SHOW);
  // The first key goes to the window, not to the program it was started from.
  BringToForeground(dialog_);
  return true;
}

void CStationDlg::RunUntilClosed() {
  MSG message;
  while (!closed_) {
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      // Keep the quit request for whoever runs the loop outside this one.
      ::PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    if (got == -1) return;
    Dispatch(message);
  }
}

void CStationDlg::Dispatch(MSG& message) {
  if (!FilterKey(message) && !(dialog_ != nullptr && ::IsDialogMessageW(dialog_, &message))) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  FollowFocus();
}

INT_PTR CALLBACK CStationDlg::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<CStationDlg*>(lParam);
    ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    self->dialog_ = dialog;
    self->InitDialog();
    return TRUE;  // the default focus: the first button
  }
  auto* self = reinterpret_cast<CStationDlg*>(::GetWindowLongPtrW(dialog, DWLP_USER));
  if (self == nullptr) return FALSE;
  return self->OnMessage(message, wParam, lParam);
}

INT_PTR CStationDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (HandleWindowCall(message, wParam, lParam)) return TRUE;
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_TIMER:
      if (wParam == kStatusRemarkTimer) {
        if (const auto text = statusText_.SetRemark(statusRemark_())) {
          SetText(Control(rz::ControlRole::StatusLine), *text);
        }
        return TRUE;
      }
      OnTimer();
      return FALSE;  // then the standard timer processing
    case DM_GETDEFID: {
      // ENTER runs the button that has the focus, however it got there (the
      // dialog manager keeps the template's default after a click or a
      // closed dialog). With no enabled button focused (the journal, an
      // operation running) it is the OK command.
      const HWND focused = Button(FocusedButton());
      const int id = focused != nullptr && ::IsWindowEnabled(focused) ? ::GetDlgCtrlID(focused) : IDOK;
      ::SetWindowLongPtrW(dialog_, DWLP_MSGRESULT, MAKELONG(id, DC_HASDEFID));
      return TRUE;
    }
    case kReturnStrayFocus:
      ReturnStrayFocus();
      return TRUE;
    case WM_ENDSESSION:
      if (wParam != FALSE) OnEndSession();
      return TRUE;
    case WM_NCDESTROY:
      ::SetWindowLongPtrW(dialog_, DWLP_USER, 0);
      dialog_ = nullptr;
      ui_.Attach(nullptr);
      return FALSE;
    default:
      return FALSE;
  }
}

void CStationDlg::InitDialog() {
  const int small = ::GetSystemMetrics(SM_CXSMICON);
  smallIcon_ = static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_STATION),
                                               IMAGE_ICON, small, small, LR_DEFAULTCOLOR));
  if (smallIcon_ != nullptr) {
    ::SendMessageW(dialog_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
  }

  SetUpJournalList(Control(rz::ControlRole::Journal), rz::text::kJournalColumn, kJournalColumnPixels);

  SetStatusText(rz::text::kStatusIdle);
  if (statusRemark_) ::SetTimer(dialog_, kStatusRemarkTimer, kStatusRemarkMs, nullptr);

  // Entries by position, never sorted.
  const auto fill = [](HWND box, const auto& entries) {
    int position = 0;
    for (const char* entry : entries) {
      ::SendMessageW(box, CB_INSERTSTRING, static_cast<WPARAM>(position++),
                     reinterpret_cast<LPARAM>(Wide(entry).c_str()));
    }
  };
  fill(Control(rz::ControlRole::PortSelector), rz::text::kPortEntries);
  SetSelectorIndex(rz::Selector::Port, station_.Port() == nullptr ? rz::kPortEntryNone : rz::kPortEntryCom1);
  fill(Control(rz::ControlRole::CpuSelector), rz::text::kCpuEntries);
  SetSelectorIndex(rz::Selector::CpuClock, rz::kCpuEntry74);

  UpdateLabels();
  SetEthernetSwitch(false);
  UpdateModeCaptions();
  model_.Initialise();
}

HWND CStationDlg::Button(int focusIndex) const {
  if (focusIndex < 1 || focusIndex > rz::kButtonCount) return nullptr;
  return Control(rz::ControlOf(static_cast<rz::Button>(focusIndex)).id);
}

int CStationDlg::FocusedButton() const {
  const HWND focus = ::GetFocus();
  if (focus == nullptr || ::GetParent(focus) != dialog_) return 0;
  return rz::FocusIndexOfControl(::GetDlgCtrlID(focus));
}

// --- Window operations -------------------------------------------------------

void CStationDlg::ShowJournalLine(int line) {
  ::SendMessageW(Control(rz::ControlRole::Journal), LVM_ENSUREVISIBLE, static_cast<WPARAM>(line), FALSE);
}

void CStationDlg::AddJournalLine(int mode, const std::string& text) {
  ApplyJournalLine(Control(rz::ControlRole::Journal), journal_, mode, text);
}

void CStationDlg::SetJournalLine(int line, const std::string& text) {
  if (!journal_.Set(line, text)) return;
  SetJournalItem(Control(rz::ControlRole::Journal), line, text);
  ShowJournalLine(line);
}

void CStationDlg::InsertJournalLine(int line, const std::string& text) {
  if (journal_.Insert(line, text)) InsertJournalItem(Control(rz::ControlRole::Journal), line, text);
}

void CStationDlg::DeleteJournalLine(int line) {
  if (!journal_.Erase(line)) return;
  ::SendMessageW(Control(rz::ControlRole::Journal), LVM_DELETEITEM, static_cast<WPARAM>(line), 0);
}

void CStationDlg::SetText(HWND control, const std::string& text) { SetWindowTextUtf8(control, text); }

void CStationDlg::SetStatusText(const std::string& text) {
  SetText(Control(rz::ControlRole::StatusLine), statusText_.SetStatus(text));
}

void CStationDlg::SetOperationControlsEnabled(bool enable) {
  // A disabled window loses the keyboard focus, and with no focus ESC would
  // no longer reach the window: it is parked on the journal (not a tab stop).
  if (!enable && rz::StationWindowModel::ParkFocus(FocusedButton())) FocusJournal();
  for (int i = 1; i <= rz::kButtonCount; ++i) ::EnableWindow(Button(i), enable);
  ::EnableWindow(Control(rz::ControlRole::PortSelector), enable);
  ::EnableWindow(Control(rz::ControlRole::EthernetSwitch), enable);
  if (enable) FocusButton(model_.FocusAfterEnabling(FocusedButton()));
}

void CStationDlg::FocusButton(int focusIndex) {
  if (focusIndex != 0) ::SendMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Button(focusIndex)), TRUE);
}

void CStationDlg::FollowFocus() {
  if (dialog_ == nullptr) return;
  const int focused = FocusedButton();
  model_.OnButtonFocused(focused);
  // The default border shows what ENTER runs: the focused button, or none.
  for (int i = 1; i <= rz::kButtonCount; ++i) {
    const LONG_PTR wanted = i == focused ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    if ((::GetWindowLongPtrW(Button(i), GWL_STYLE) & BS_TYPEMASK) != wanted) {
      ::SendMessageW(Button(i), BM_SETSTYLE, static_cast<WPARAM>(wanted), TRUE);
    }
  }
}

void CStationDlg::ReturnStrayFocus() {
  const HWND focus = ::GetFocus();
  const bool stray = focus == Control(rz::ControlRole::EthernetSwitch) ||
                     focus == Control(rz::ControlRole::PortSelector) || focus == Control(rz::ControlRole::CpuSelector);
  if (stray && ::IsWindowEnabled(Button(1))) FocusButton(model_.FocusIndex());
}

HWND CStationDlg::SelectorControl(rz::Selector selector) const {
  return Control(selector == rz::Selector::Port ? rz::ControlRole::PortSelector : rz::ControlRole::CpuSelector);
}

void CStationDlg::SetSelectorEnabled(rz::Selector selector, bool enable) {
  ::EnableWindow(SelectorControl(selector), enable);
}

void CStationDlg::PostNextControlRequests(int count) {
  for (int i = 0; i < count; ++i) ::PostMessageW(dialog_, WM_NEXTDLGCTL, 0, 0);
}

void CStationDlg::FocusJournal() {
  ::SendMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(rz::ControlRole::Journal)), TRUE);
}

int CStationDlg::SelectorIndex(rz::Selector selector) const {
  return static_cast<int>(::SendMessageW(SelectorControl(selector), CB_GETCURSEL, 0, 0));
}

void CStationDlg::SetSelectorIndex(rz::Selector selector, int index) {
  // CB_SETCURSEL sends no selection-change notification, so no operation starts.
  ::SendMessageW(SelectorControl(selector), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

bool CStationDlg::EthernetSwitch() const {
  return ::SendMessageW(Control(rz::ControlRole::EthernetSwitch), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void CStationDlg::SetEthernetSwitch(bool checked) {
  ::SendMessageW(Control(rz::ControlRole::EthernetSwitch), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void CStationDlg::UpdateModeCaptions() {
  const rz::ModeCaptions captions = model_.Captions();
  SetText(Button(static_cast<int>(rz::Button::ServiceCom)), captions.serviceCom);
  SetText(Button(static_cast<int>(rz::Button::Flash)), captions.flash);
  SetText(Button(static_cast<int>(rz::Button::FileToFlash)), captions.fileToFlash);
}

void CStationDlg::UpdateLabels() {
  SetText(Control(rz::ControlRole::SoundLabel), model_.SoundLabel());
  SetText(Control(rz::ControlRole::VerifyLabel), model_.VerifyLabel());
}

// --- Commands ----------------------------------------------------------------

void CStationDlg::OnCommand(int id, int code) {
  if (id == IDOK) {
    // ENTER when no button takes it: the run request of the debug console.
    model_.OnOk();
  } else if (id == IDCANCEL) {
    // ESC (and a close request): the abort flag; the window stays.
    model_.OnCancel();
  } else if (const int focusIndex = rz::FocusIndexOfControl(id); focusIndex != 0) {
    if (code != BN_CLICKED) return;
    if (static_cast<rz::Button>(focusIndex) == rz::Button::Exit) {
      OnExit();
    } else {
      rz::PressButton(station_, static_cast<rz::Button>(focusIndex));
    }
  } else if (id == rz::ControlOf(rz::ControlRole::EthernetSwitch).id) {
    if (code != BN_CLICKED) return;
    rz::OnEthernetSwitchClicked(station_);
    ::PostMessageW(dialog_, kReturnStrayFocus, 0, 0);
  } else if (id == rz::ControlOf(rz::ControlRole::PortSelector).id ||
             id == rz::ControlOf(rz::ControlRole::CpuSelector).id) {
    if (code == CBN_CLOSEUP) ::PostMessageW(dialog_, kReturnStrayFocus, 0, 0);
    if (code != CBN_SELCHANGE) return;
    if (id == rz::ControlOf(rz::ControlRole::PortSelector).id) {
      rz::OnPortSelectorChanged(station_);
    } else {
      rz::OnCpuSelectorChanged(station_);
    }
  }
}

void CStationDlg::OnExit() {
  rz::WriteResultsLog(station_);
  closed_ = true;
  ::DestroyWindow(dialog_);
}

void CStationDlg::OnEndSession() {
  // The session ends whether or not the operation stops: keep serving its
  // window calls meanwhile, and write what the journal holds either way.
  rz::RunEnd end(station_, rz::RunEnd::Clock::now());
  while (end.Poll(rz::RunEnd::Clock::now()) == rz::RunEnd::Step::Waiting) {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) Dispatch(message);
    std::this_thread::sleep_for(kEndPoll);
  }
  rz::WriteResultsLog(station_);
  closed_ = true;
}

// --- Keys and the pause of the external COM test ------------------------------

bool CStationDlg::FilterKey(const MSG& message) {
  if (message.message != WM_KEYDOWN || dialog_ == nullptr) return false;
  if (message.hwnd != dialog_ && !::IsChild(dialog_, message.hwnd)) return false;
  const rz::WindowKey key =
      rz::WindowKeyFromVirtualKey(static_cast<std::uint32_t>(message.wParam), ::GetKeyState(VK_SHIFT) < 0);
  const rz::StationKeyAction action = model_.OnKey(key, FocusedButton());
  if (action.updateModeCaptions) UpdateModeCaptions();
  if (action.updateLabels) UpdateLabels();
  if (action.beep) rz::ConfirmationBeep(station_.Sound());
  if (action.restartParamsTimer) ::SetTimer(dialog_, kParamsTimer, rz::kParamsTimerMs, nullptr);
  bool swallowed = !action.passOn;
  if (action.arrowStep != 0) {
    // The dialog manager's own arrow move wraps within the group and stops
    // on static controls too: the window makes the move itself.
    FocusButton(rz::StationWindowModel::ArrowTarget(FocusedButton(), action.arrowStep,
                                                    [this](int i) { return ::IsWindowEnabled(Button(i)) != FALSE; }));
    swallowed = true;
  }
  PostNextControlRequests(action.nextControlRequests);
  return swallowed;
}

void CStationDlg::OnTimer() {
  if (!model_.OnTimer().runParamsDialog) return;
  ::KillTimer(dialog_, kParamsTimer);
  ui_.presenters.testParams(dialog_, station_.extCom.params);
  model_.OnParamsDialogClosed();
}

}  // namespace rz::win32
