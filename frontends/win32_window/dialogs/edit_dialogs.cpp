// The small dialogs with one edit box and no buttons: the board address
// (CIpAddressDlg), the board's serial number (CSerialNumberDlg) and the byte
// count of the Flash-to-file transfer (CByteCountDlg). ENTER confirms, ESC
// cancels; the dialog manager turns them into the OK and Cancel commands.

#include "app/ip_address.h"
#include "app/serial_number_entry.h"
#include "control_text.h"
#include "dialog_ids.h"
#include "flash/byte_count_dialog.h"
#include "win32_dialogs.h"

namespace rz::win32 {
namespace {

// What a box keeps of the text it was given, for a box that takes only some
// characters (the edit control itself filters only digits).
using TextKeeper = std::string (*)(std::string_view text);

class OneEditDlg {
 public:
  OneEditDlg(int templateId, int editId, const EditRule& rule, std::string initial, TextKeeper keep = nullptr)
      : templateId_(templateId), editId_(editId), rule_(rule), text_(std::move(initial)), keep_(keep) {}
  OneEditDlg(const OneEditDlg&) = delete;
  OneEditDlg& operator=(const OneEditDlg&) = delete;

  // Runs the dialog modally over `owner`: true after ENTER, with Text() the
  // box's text; false after ESC.
  bool Run(HWND owner) {
    const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), owner, Proc,
                                           reinterpret_cast<LPARAM>(this));
    return result == IDOK;
  }
  const std::string& Text() const { return text_; }

 private:
  static INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
      SetWindowLongPtrW(window, DWLP_USER, lParam);
      reinterpret_cast<OneEditDlg*>(lParam)->OnInit(window);
      return FALSE;  // the focus is set
    }
    auto* self = reinterpret_cast<OneEditDlg*>(GetWindowLongPtrW(window, DWLP_USER));
    if (self == nullptr || message != WM_COMMAND) return FALSE;
    switch (LOWORD(wParam)) {
      case IDOK:
        self->text_ = std::string(EditClip(self->rule_, WindowTextUtf8(GetDlgItem(window, self->editId_))));
        EndDialog(window, IDOK);
        return TRUE;
      case IDCANCEL: EndDialog(window, IDCANCEL); return TRUE;
      default:
        if (LOWORD(wParam) == self->editId_ && HIWORD(wParam) == EN_CHANGE) self->KeepText(window);
        return FALSE;
    }
  }

  // Takes out of the box, typed or pasted, what it may not hold, leaving the
  // caret at the end.
  void KeepText(HWND window) const {
    if (keep_ == nullptr) return;
    HWND edit = GetDlgItem(window, editId_);
    const std::string text = WindowTextUtf8(edit);
    const std::string kept = keep_(text);
    if (kept == text) return;
    SetWindowTextUtf8(edit, kept);  // changes it again, to what it keeps
    const int end = GetWindowTextLengthW(edit);
    SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(end), end);
  }

  void OnInit(HWND window) {
    HWND edit = GetDlgItem(window, editId_);
    ApplyEditRule(edit, rule_);
    SetWindowTextUtf8(edit, text_);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SetFocus(edit);
  }

  int templateId_;
  int editId_;
  EditRule rule_;
  std::string text_;
  TextKeeper keep_;
};

// The board address, shown on opening; the station parses what is entered.
class CIpAddressDlg final : public OneEditDlg {
 public:
  explicit CIpAddressDlg(const std::string& shown)
      : OneEditDlg(IDD_IP_ADDRESS, IDC_IP_ADDRESS_EDIT, kIpAddressEdit, shown) {}
};

// The board's serial number, empty on opening; only printable characters.
class CSerialNumberDlg final : public OneEditDlg {
 public:
  CSerialNumberDlg()
      : OneEditDlg(IDD_SERIAL_NUMBER, IDC_SERIAL_NUMBER_EDIT, kSerialNumberEdit, "", SerialNumberPrintable) {}
};

// The number of bytes to read, empty on opening.
class CByteCountDlg final : public OneEditDlg {
 public:
  CByteCountDlg() : OneEditDlg(IDD_BYTE_COUNT, IDC_BYTE_COUNT_EDIT, kByteCountEdit, "") {}
  // The read count after the dialog has run.
  std::uint32_t Count(bool confirmed) const { return confirmed ? ByteCountOnEnter(Text()) : kByteCountOnEscape; }
};

}  // namespace

std::optional<std::string> RunIpAddressDialog(HWND owner, const std::string& shown) {
  CIpAddressDlg dialog(shown);
  if (!dialog.Run(owner)) return std::nullopt;
  return dialog.Text();
}

std::optional<std::string> RunSerialNumberDialog(HWND owner) {
  CSerialNumberDlg dialog;
  if (!dialog.Run(owner)) return std::nullopt;
  return SerialNumberOnEnter(dialog.Text());
}

std::uint32_t RunByteCountDialog(HWND owner) {
  CByteCountDlg dialog;
  return dialog.Count(dialog.Run(owner));
}

}  // namespace rz::win32
