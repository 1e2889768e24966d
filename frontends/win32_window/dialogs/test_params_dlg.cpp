// CTestParamsDlg: the parameters of the external channel test, run while the
// test is paused. It opens on the current parameters; OK stores what it shows,
// Cancel stores nothing.

#include <iterator>

#include "boardtests/external_com_texts.h"
#include "boardtests/test_params_dialog.h"
#include "control_text.h"
#include "dialog_ids.h"
#include "win32/win32_text.h"
#include "win32_dialogs.h"

namespace rz::win32 {
namespace {

class CTestParamsDlg {
 public:
  explicit CTestParamsDlg(ExtComParams& params) : params_(params) {}
  CTestParamsDlg(const CTestParamsDlg&) = delete;
  CTestParamsDlg& operator=(const CTestParamsDlg&) = delete;

  void Run(HWND owner) {
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_TEST_PARAMS), owner, Proc,
                    reinterpret_cast<LPARAM>(this));
  }

 private:
  static INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
      SetWindowLongPtrW(window, DWLP_USER, lParam);
      reinterpret_cast<CTestParamsDlg*>(lParam)->OnInit(window);
      return TRUE;  // the focus goes to the first tab stop, the speed list
    }
    auto* self = reinterpret_cast<CTestParamsDlg*>(GetWindowLongPtrW(window, DWLP_USER));
    if (self == nullptr || message != WM_COMMAND) return FALSE;
    return self->OnCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
  }

  void OnInit(HWND window) {
    window_ = window;
    Fill(IDC_PARAMS_SPEED, text::kParamsSpeeds);
    Fill(IDC_PARAMS_FIFO, text::kParamsFifoModes);
    Fill(IDC_PARAMS_LINE, text::kParamsLineModes);
    Fill(IDC_PARAMS_CODE, text::kParamsCodes);
    Fill(IDC_PARAMS_CHANNELS, text::kParamsChannelCounts);
    const ExtComDialogChoice shown = DialogOpeningChoice(params_);
    Select(IDC_PARAMS_SPEED, shown.speedIndex);
    Select(IDC_PARAMS_FIFO, shown.fifoIndex);
    Select(IDC_PARAMS_LINE, shown.lineIndex);
    Select(IDC_PARAMS_CODE, shown.codeIndex);
    Select(IDC_PARAMS_CHANNELS, shown.channelIndex);
    HWND block = GetDlgItem(window_, IDC_PARAMS_BLOCK);
    ApplyEditRule(block, kBlockSizeEdit);
    SetWindowTextUtf8(block, shown.blockText);
  }

  bool OnCommand(int id, int code) {
    switch (id) {
      case IDOK:
        params_ = ApplyDialogOk(params_, Choice());
        EndDialog(window_, IDOK);
        return true;
      case IDCANCEL: EndDialog(window_, IDCANCEL); return true;
      case IDC_PARAMS_CODE: return NoteTyping(code, codeTyped_);
      case IDC_PARAMS_CHANNELS: return NoteTyping(code, channelsTyped_);
      default: return false;
    }
  }

  // Text typed into an editable box leaves it without a selected entry; an
  // entry picked from its list selects that entry again.
  static bool NoteTyping(int code, bool& typed) {
    if (code == CBN_EDITCHANGE) typed = true;
    if (code == CBN_SELCHANGE) typed = false;
    return false;
  }

  template <std::size_t N>
  void Fill(int id, const char* const (&items)[N]) {
    for (std::size_t i = 0; i < N; ++i) {
      SendDlgItemMessageW(window_, id, CB_INSERTSTRING, i, reinterpret_cast<LPARAM>(Wide(items[i]).c_str()));
    }
  }

  void Select(int id, int index) { SendDlgItemMessageW(window_, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0); }

  int Selected(int id) const { return static_cast<int>(SendDlgItemMessageW(window_, id, CB_GETCURSEL, 0, 0)); }

  ExtComDialogChoice Choice() const {
    ExtComDialogChoice choice;
    choice.speedIndex = Selected(IDC_PARAMS_SPEED);
    choice.fifoIndex = Selected(IDC_PARAMS_FIFO);
    choice.blockText = std::string(EditClip(kBlockSizeEdit, WindowTextUtf8(GetDlgItem(window_, IDC_PARAMS_BLOCK))));
    choice.lineIndex = Selected(IDC_PARAMS_LINE);
    choice.codeIndex = codeTyped_ ? -1 : Selected(IDC_PARAMS_CODE);
    choice.channelIndex = channelsTyped_ ? -1 : Selected(IDC_PARAMS_CHANNELS);
    return choice;
  }

  ExtComParams& params_;
  HWND window_ = nullptr;
  bool codeTyped_ = false;
  bool channelsTyped_ = false;
};

}  // namespace

void RunTestParamsDialog(HWND owner, ExtComParams& params) { CTestParamsDlg(params).Run(owner); }

}  // namespace rz::win32
