#include "debug_dlg.h"

#include <commctrl.h>

#include <array>

#include "app/sound.h"
#include "app/window_keys.h"
#include "control_text.h"
#include "debug/debug_texts.h"
#include "dialog_ids.h"
#include "dialog_template.h"
#include "fixed_font.h"
#include "list_view_journal.h"
#include "operations/station.h"
#include "win32/win32_text.h"
#include "win32_dialogs.h"
#include "window_thread_call.h"

namespace rz::win32 {
namespace {

// The buttons by number: the five targets, then "Выход".
constexpr std::array<int, kDebugButtons> kButtonIds = {IDC_DEBUG_ETHERNET, IDC_DEBUG_SDRAM,
                                                       IDC_DEBUG_FLASH,    IDC_DEBUG_SERVICE_COM,
                                                       IDC_DEBUG_EXTERNAL_COMS, IDC_DEBUG_EXIT};
constexpr std::array<int, 3> kFieldIds = {IDC_DEBUG_OPERATION, IDC_DEBUG_ADDRESS, IDC_DEBUG_DATA};
constexpr int kJournalColumnPixels = 267;

// Focus requests the target thread posts. The dialog procedure takes them, so
// the dialog manager never reads the first as DM_SETDEFID, which has the same
// number.
constexpr UINT kOperationFocusRequest = WM_USER + 1;
constexpr UINT kJournalFocusRequest = WM_USER + 4;

// Button number 1..6 of a control id, or 0.
int ButtonNumber(int id) {
  for (std::size_t i = 0; i < kButtonIds.size(); ++i) {
    if (kButtonIds[i] == id) return static_cast<int>(i) + 1;
  }
  return 0;
}

int FieldIndex(int id) {
  for (std::size_t i = 0; i < kFieldIds.size(); ++i) {
    if (kFieldIds[i] == id) return static_cast<int>(i);
  }
  return -1;
}

bool IsSpace(const MSG& message) {
  return message.message == WM_CHAR ? message.wParam == L' ' : message.wParam == VK_SPACE;
}

}  // namespace

void RunDebugWindow(HWND owner, Station& station) { CDebugDlg(station).RunModal(owner); }

CDebugDlg::CDebugDlg(Station& station)
    : station_(station),
      context_{station, *this, state_},
      model_(state_, station.flags),
      presenter_(ShowHelpMessageBox) {}

CDebugDlg::~CDebugDlg() {
  FinishTargetThread();
  if (window_ != nullptr) DestroyWindow(window_);
}

void CDebugDlg::SetHelpPresenter(HelpPresenter presenter) {
  presenter_ = presenter ? std::move(presenter) : HelpPresenter(ShowHelpMessageBox);
}

bool CDebugDlg::Create(HWND owner) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  // The template's Lucida Console, or the fixed-width face standing in for it.
  const std::vector<DWORD> dialogTemplate = TemplateWithFontFace(IDD_DEBUG, FixedFontFace());
  if (dialogTemplate.empty() ||
      CreateDialogIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(dialogTemplate.data()),
                                 owner, Proc, reinterpret_cast<LPARAM>(this)) == nullptr) {
    return false;
  }
  ShowWindow(window_, SW_SHOW);
  // The window opens with the focus on its first tab stop, "Ethernet".
  if (GetFocus() != Control(IDC_DEBUG_ETHERNET)) FocusControl(Control(IDC_DEBUG_ETHERNET));
  return true;
}

void CDebugDlg::RunModal(HWND owner) {
  // The owner is disabled before the console shows, as a modal dialog box
  // does: no click reaches it once the console can be seen.
  const bool disableOwner = owner != nullptr && IsWindowEnabled(owner) != FALSE;
  if (disableOwner) EnableWindow(owner, FALSE);
  if (!Create(owner)) {
    if (disableOwner) EnableWindow(owner, TRUE);
    return;
  }
  MSG message;
  while (!ended_) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == -1) break;
    if (got == 0) {
      // The program is ending: leave the quit message for the outer loop.
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    Dispatch(message);
  }
  FinishTargetThread();
  if (disableOwner) EnableWindow(owner, TRUE);
  DestroyWindow(window_);
  window_ = nullptr;
}

void CDebugDlg::Dispatch(MSG& message) {
  if (window_ != nullptr && FilterKey(message)) return;
  if (window_ != nullptr && IsDialogMessageW(window_, &message)) return;
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

int CDebugDlg::FocusedButton() const {
  const HWND focus = GetFocus();
  if (focus == nullptr || GetParent(focus) != window_) return 0;
  return ButtonNumber(GetDlgCtrlID(focus));
}

// --- Window operations (any thread) -------------------------------------------

void CDebugDlg::AddDebugLine(int mode, const std::string& text) {
  RunOnWindowThread(window_, [&] { ApplyJournalLine(Control(IDC_DEBUG_JOURNAL), journal_, mode, text); });
}

void CDebugDlg::SetDebugStatus(const std::string& text) {
  RunOnWindowThread(window_, [&] { SetWindowTextUtf8(Control(IDC_DEBUG_STATUS), text); });
}

void CDebugDlg::RestoreDebugFocus(std::uint8_t count) { PostNextTabStops(count); }

void CDebugDlg::EnableTargetButtons(bool enable) {
  RunOnWindowThread(window_, [&] {
    for (int id : kButtonIds) EnableWindow(Control(id), enable ? TRUE : FALSE);
    model_.OnTargetButtonsChanged();
  });
}

void CDebugDlg::EnableFields(bool operation, bool address, bool data) {
  RunOnWindowThread(window_, [&] {
    const bool enable[] = {operation, address, data};
    for (std::size_t i = 0; i < kFieldIds.size(); ++i) EnableWindow(Control(kFieldIds[i]), enable[i] ? TRUE : FALSE);
  });
}

void CDebugDlg::ClearFields(bool operation, bool address, bool data) {
  RunOnWindowThread(window_, [&] {
    const bool clear[] = {operation, address, data};
    for (std::size_t i = 0; i < kFieldIds.size(); ++i) {
      if (clear[i]) SetWindowTextW(Control(kFieldIds[i]), L"");
    }
  });
}

void CDebugDlg::RequestOperationFocus() { PostMessageW(window_, kOperationFocusRequest, 0, 0); }

void CDebugDlg::RequestJournalFocus() { PostMessageW(window_, kJournalFocusRequest, 0, 0); }

void CDebugDlg::SetFieldLimits(const FieldLimits& limits) {
  RunOnWindowThread(window_, [&] {
    const int chars[] = {limits.operation, limits.address, limits.data};
    for (std::size_t i = 0; i < kFieldIds.size(); ++i) {
      ApplyEditRule(Control(kFieldIds[i]), EditRule{static_cast<std::size_t>(chars[i] > 0 ? chars[i] : 0), false});
    }
  });
}

std::string CDebugDlg::ReadField(DebugField field, int limit) {
  std::string text;
  RunOnWindowThread(window_, [&] {
    const std::string whole = WindowTextUtf8(Control(kFieldIds[static_cast<std::size_t>(field)]));
    text = EditClip(EditRule{static_cast<std::size_t>(limit > 0 ? limit : 0), false}, whole);
  });
  return text;
}

// --- Messages ------------------------------------------------------------------

INT_PTR CALLBACK CDebugDlg::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<CDebugDlg*>(lParam);
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    self->window_ = window;
    self->OnInit();
    return TRUE;  // the dialog gives the focus to its first tab stop
  }
  auto* self = reinterpret_cast<CDebugDlg*>(GetWindowLongPtrW(window, DWLP_USER));
  return self != nullptr ? self->OnMessage(message, wParam, lParam) : FALSE;
}

INT_PTR CDebugDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (HandleWindowCall(message, wParam, lParam)) return TRUE;
  switch (message) {
    case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return TRUE;
    case kOperationFocusRequest: FocusControl(Control(IDC_DEBUG_OPERATION)); return TRUE;
    case kJournalFocusRequest: FocusControl(Control(IDC_DEBUG_JOURNAL)); return TRUE;
    default: return FALSE;
  }
}

void CDebugDlg::OnInit() {
  SetUpJournalList(Control(IDC_DEBUG_JOURNAL), debugtext::kJournalColumn, kJournalColumnPixels);
  SetWindowTextUtf8(Control(IDC_DEBUG_STATUS), debugtext::kStatusIdle);
  EnableFields(false, false, false);
  model_.Initialise();
}

void CDebugDlg::OnCommand(int id, int code) {
  switch (id) {
    case IDOK: model_.OnOk(); return;
    case IDCANCEL: model_.OnCancel(); return;
    case IDC_DEBUG_STATUS:
      if (code == STN_CLICKED) ShowHelp();
      return;
    case IDC_DEBUG_EXIT:
      if (code == BN_CLICKED) {
        ended_ = true;
        // Wakes the modal loop when the click came as a sent message.
        PostMessageW(window_, WM_NULL, 0, 0);
      }
      return;
    default: break;
  }
  if (const int number = ButtonNumber(id); number != 0 && code == BN_CLICKED) {
    OnTargetButton(number);
  } else if (const int field = FieldIndex(id); field >= 0 && code == EN_SETFOCUS) {
    OnFieldFocus(static_cast<DebugField>(field));
  }
}

void CDebugDlg::OnTargetButton(int number) {
  const DebugTarget* target = FindDebugTarget(number);
  // Enabled buttons mean no target thread is in target mode: the last one
  // gave the buttons back as its last call that waits for this window, so
  // joining it cannot block.
  if (target == nullptr || !IsWindowEnabled(Control(kButtonIds[static_cast<std::size_t>(number - 1)]))) return;
  if (target_.joinable()) target_.join();
  EnterTargetMode(context_, *target);
  targetRunning_.store(true);
  target_ = std::thread([this, target] {
    RunTargetThread(context_, *target);
    targetRunning_.store(false);
  });
}

void CDebugDlg::OnFieldFocus(DebugField field) {
  const char* text = model_.OnFieldFocus(field, WindowTextUtf8(Control(IDC_DEBUG_OPERATION)));
  if (text != nullptr) SetWindowTextUtf8(Control(IDC_DEBUG_STATUS), text);
}

void CDebugDlg::ShowHelp() {
  if (const auto help = model_.OnStatusClick()) presenter_(window_, help->caption, help->text);
}

// --- Keys and focus ----------------------------------------------------------------

bool CDebugDlg::FilterKey(const MSG& message) {
  if (message.message != WM_KEYDOWN && message.message != WM_KEYUP && message.message != WM_CHAR) return false;
  if (message.hwnd != window_ && !IsChild(window_, message.hwnd)) return false;
  // SPACE goes nowhere, not even its release or its character.
  if (message.message != WM_KEYDOWN) return IsSpace(message);

  const WindowKey key = WindowKeyFromVirtualKey(static_cast<std::uint32_t>(message.wParam), GetKeyState(VK_SHIFT) < 0);
  const bool buttonArrow = !model_.InTargetMode() && (key == WindowKey::Up || key == WindowKey::Down);
  const DebugKeyAction action = model_.OnKey(key);
  if (action.beep) ConfirmationBeep(station_.Sound());
  PostNextTabStops(action.nextTabStopRequests);
  if (!action.passOn) return true;

  if (buttonArrow) {
    // The dialog manager would move the arrows within the group of buttons
    // and wrap at its ends; the model's own step is made here instead.
    const int next = FocusedButton() + action.arrowStep;
    if (action.arrowStep != 0 && FocusedButton() != 0 && next >= 1 && next <= kDebugButtons) {
      FocusControl(Control(kButtonIds[static_cast<std::size_t>(next - 1)]));
    }
    return true;
  }
  if (key == WindowKey::Enter) {
    // ENTER presses the focused button; anywhere else it is the OK command,
    // also while the default button is disabled in target mode.
    const int button = FocusedButton();
    if (button != 0 && IsWindowEnabled(GetFocus())) {
      SendMessageW(window_, WM_COMMAND, MAKEWPARAM(kButtonIds[static_cast<std::size_t>(button - 1)], BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetFocus()));
    } else {
      model_.OnOk();
    }
    return true;
  }
  return false;  // TAB, ESC and the rest: the dialog manager
}

void CDebugDlg::FocusControl(HWND control) {
  SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

void CDebugDlg::PostNextTabStops(int count) {
  for (int i = 0; i < count; ++i) PostMessageW(window_, WM_NEXTDLGCTL, 0, FALSE);
}

void CDebugDlg::FinishTargetThread() {
  while (targetRunning_.load()) {
    station_.flags.RequestAbort();
    // The thread's calls to this window are sent messages: take them while
    // waiting, so that it can run to its end.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_SENDMESSAGE);
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  if (target_.joinable()) target_.join();
}

}  // namespace rz::win32
