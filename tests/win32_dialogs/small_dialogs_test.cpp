// The parameters, byte-count, IP-address and serial-number dialogs and the
// standard file dialogs, run modally and driven by messages: what each stores on accept and
// on cancel.

#include <gtest/gtest.h>

#include <windows.h>
// After windows.h, which it needs.
#include <dlgs.h>

#include <filesystem>
#include <functional>

#include "app/ethernet_texts.h"
#include "app/serial_number_entry.h"
#include "boardtests/external_com_texts.h"
#include "boardtests/test_params_dialog.h"
#include "dialog_driver.h"
#include "dialog_ids.h"
#include "flash/flash_texts.h"
#include "temp_dir.h"
#include "win32/win32_text.h"
#include "win32_dialogs.h"

namespace rz::win32::test {
namespace {

TEST(EditDialogs, ReturnWhatTheBoxHoldsOnEnterAndNothingOnEscape) {
  const auto ip = [] { return RunIpAddressDialog(nullptr, "192.168.2.200").value_or("(cancelled)"); };
  const auto count = [] { return std::to_string(RunByteCountDialog(nullptr)); };
  const auto serial = [] { return RunSerialNumberDialog(nullptr).value_or("(none)"); };
  struct Case {
    std::function<std::string()> run;
    const char* title;
    std::wstring shown, typed;
    UINT key;
    std::string expected;
  };
  const Case cases[] = {
      {ip, text::kIpAddressDialogTitle, L"192.168.2.200", L"10.0.0.1", VK_RETURN, "10.0.0.1"},
      {ip, text::kIpAddressDialogTitle, L"192.168.2.200", L"1234567890.1234567", VK_RETURN, "1234567890.1234"},
      {ip, text::kIpAddressDialogTitle, L"192.168.2.200", L"10.0.0.2", VK_ESCAPE, "(cancelled)"},
      {count, text::kByteCountTitle, L"", L"12a34", VK_RETURN, "1234"},
      {count, text::kByteCountTitle, L"", L"123456789", VK_RETURN, "1234567"},
      {count, text::kByteCountTitle, L"", L"", VK_RETURN, "0"},
      {count, text::kByteCountTitle, L"", L"4096", VK_ESCAPE, "0"},
      // As a scanner types: into the focused box, then ENTER.
      {serial, text::kSerialNumberDialogTitle, L"", L"  SN-0042\x85 ", VK_RETURN, "SN-0042"},
      {serial, text::kSerialNumberDialogTitle, L"", L"   ", VK_RETURN, "(none)"},
      {serial, text::kSerialNumberDialogTitle, L"", L"SN-0043", VK_ESCAPE, "(none)"},
  };
  for (const Case& c : cases) {
    std::wstring caption, shown;
    bool focused = false;
    ModalDriver driver([&](HWND dialog) {
      HWND edit = FindWindowExW(dialog, nullptr, L"Edit", nullptr);
      caption = Text(dialog);
      shown = Text(edit);
      GUITHREADINFO thread{};
      thread.cbSize = sizeof thread;
      focused = GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &thread) && thread.hwndFocus == edit;
      Type(edit, c.typed, c.key);
    });
    EXPECT_EQ(c.run(), c.expected) << Utf8(c.typed);
    EXPECT_EQ(driver.Problem(), "");
    EXPECT_EQ(caption, Wide(c.title));
    EXPECT_EQ(shown, c.shown);
    EXPECT_TRUE(focused);
  }
}

TEST(EditDialogs, TheSerialNumberBoxKeepsNoControlCharacters) {
  std::wstring kept;
  ModalDriver driver([&](HWND dialog) {
    HWND edit = FindWindowExW(dialog, nullptr, L"Edit", nullptr);
    SetWindowTextW(edit, L"SN\x85-1\x7f");  // as a paste would bring them
    kept = Text(edit);
    Type(edit, L"", VK_RETURN);
  });
  EXPECT_EQ(RunSerialNumberDialog(nullptr), "SN-1");
  EXPECT_EQ(driver.Problem(), "");
  EXPECT_EQ(kept, L"SN-1");
}

// The parameters dialog opens on `start`; the driver records what it shows,
// picks FIFO mode 3, types a block size beyond that mode's cap and a code of
// its own, then presses `button`.
ExtComParams RunParamsDialog(const ExtComParams& start, int button, ExtComDialogChoice& opened, std::wstring& caption) {
  ExtComParams params = start;
  ModalDriver driver([&](HWND dialog) {
    caption = Text(dialog);
    auto selected = [&](int id) { return static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0)); };
    opened = {selected(IDC_PARAMS_SPEED), selected(IDC_PARAMS_FIFO), Utf8(Text(GetDlgItem(dialog, IDC_PARAMS_BLOCK))),
              selected(IDC_PARAMS_LINE),  selected(IDC_PARAMS_CODE), selected(IDC_PARAMS_CHANNELS)};
    SendDlgItemMessageW(dialog, IDC_PARAMS_FIFO, CB_SETCURSEL, kFifoParallelIrq, 0);
    SetDlgItemTextW(dialog, IDC_PARAMS_BLOCK, L"");
    Type(GetDlgItem(dialog, IDC_PARAMS_BLOCK), L"9x999");
    Type(FindWindowExW(GetDlgItem(dialog, IDC_PARAMS_CODE), nullptr, L"Edit", nullptr), L"AA");
    PostMessageW(GetDlgItem(dialog, button), BM_CLICK, 0, 0);
  });
  RunTestParamsDialog(nullptr, params);
  EXPECT_EQ(driver.Problem(), "");
  return params;
}

TEST(TestParamsDialog, OpensOnTheParametersOkStoresWhatItShowsAndCancelNothing) {
  ExtComParams start;
  start.speedCode = 5;
  start.lineMode = 1;
  start.channelCount = kAllChannels;
  ExtComDialogChoice opened;
  std::wstring caption;
  EXPECT_EQ(RunParamsDialog(start, IDCANCEL, opened, caption), start);
  EXPECT_EQ(caption, Wide(text::kParamsCaption));
  const ExtComDialogChoice expected = DialogOpeningChoice(start);
  EXPECT_EQ(opened.speedIndex, expected.speedIndex);
  EXPECT_EQ(opened.lineIndex, expected.lineIndex);
  EXPECT_EQ(opened.channelIndex, expected.channelIndex);
  EXPECT_EQ(opened.blockText, expected.blockText);

  ExtComParams changed = start;
  changed.fifoMode = kFifoParallelIrq;
  changed.irqFlag = 1;
  changed.blockSize = kMaxBlockParallel;  // 9999 typed, the letter refused, then capped
  changed.codePattern = -1;               // typed text selects no entry
  EXPECT_EQ(RunParamsDialog(start, IDOK, opened, caption), changed);
}

// A name typed into a file dialog comes back with the start folder's path; the
// save dialog asks before it replaces a file (`answer` that question, 0: none
// expected).
std::string Choose(const std::string& folder, bool save, const std::wstring& name, int answer) {
  bool asked = false;
  ModalDriver driver([&](HWND dialog) {
    HWND field = GetDlgItem(dialog, cmb13) != nullptr ? GetDlgItem(dialog, cmb13) : GetDlgItem(dialog, edt1);
    SetWindowTextW(field, name.c_str());
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    if (answer == 0) return;
    HWND question = AwaitDialog(GetWindowThreadProcessId(dialog, nullptr), dialog);
    asked = question != nullptr;
    PostMessageW(question, WM_COMMAND, answer, 0);
    if (answer == IDNO) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  const auto path = save ? AskSaveFile(nullptr, folder) : AskOpenFile(nullptr, folder);
  EXPECT_EQ(driver.Problem(), "");
  EXPECT_EQ(asked, answer != 0);
  return path ? std::filesystem::path(*path).lexically_normal().string() : "(cancelled)";
}

TEST(FileDialogs, ReturnTheChosenPathAndTheSaveDialogAsksBeforeReplacing) {
  rz::testing::TempDir dir;
  ASSERT_NE(std::filesystem::current_path(), std::filesystem::path(dir.Path()));
  dir.Write("image.rzi", std::vector<std::uint8_t>{1, 2, 3});
  auto in = [&](const char* name) { return (std::filesystem::path(dir.Path()) / name).lexically_normal().string(); };
  EXPECT_EQ(Choose(dir.Path(), false, L"image.rzi", 0), in("image.rzi"));
  EXPECT_EQ(Choose(dir.Path(), true, L"new.bin", 0), in("new.bin"));
  EXPECT_EQ(Choose(dir.Path(), true, L"image.rzi", IDYES), in("image.rzi"));
  EXPECT_EQ(Choose(dir.Path(), true, L"image.rzi", IDNO), "(cancelled)");
  // The process's current directory, against which the station's own files
  // may be named, stays where it was.
  EXPECT_NE(std::filesystem::current_path(), std::filesystem::path(dir.Path()));
}

}  // namespace
}  // namespace rz::win32::test
