// The parameters, byte-count and IP-address dialogs and the standard file
// dialogs, run modally and driven by messages: what each stores on accept and
// on cancel.

#include <gtest/gtest.h>

#include <windows.h>
// After windows.h, which it needs.
#include <dlgs.h>

#include <filesystem>
#include <fstream>

#include "boardtests/external_com_params.h"
#include "boardtests/external_com_texts.h"
#include "boardtests/test_params_dialog.h"
#include "dialog_driver.h"
#include "dialog_ids.h"
#include "flash/flash_texts.h"
#include "link/ethernet_texts.h"
#include "temp_dir.h"
#include "win32/win32_text.h"
#include "win32_dialogs.h"

namespace rz::win32::test {
namespace {

// What a driver saw and did in a dialog with one edit box.
struct EditCase {
  const char* name;
  std::wstring typed;
  UINT key;  // VK_RETURN or VK_ESCAPE
};

HWND Edit(HWND dialog) { return FindWindowExW(dialog, nullptr, L"Edit", nullptr); }

// Runs `run` while a driver records the caption and the edit's first text,
// types into the edit and presses the case's key.
template <typename Run>
auto DriveEditDialog(const EditCase& c, std::wstring& caption, std::wstring& shown, Run run) {
  ModalDriver driver([&](HWND dialog) {
    caption = Text(dialog);
    shown = Text(Edit(dialog));
    Type(Edit(dialog), c.typed, c.key);
  });
  auto result = run();
  EXPECT_EQ(driver.Problem(), "") << c.name;
  return result;
}

TEST(EditDialogs, IpAddressReturnsTheTextUpToItsLimitAndNothingOnEscape) {
  struct Case {
    EditCase edit;
    std::optional<std::string> expected;
  };
  const Case cases[] = {
      {{"typed over the shown address", L"10.0.0.1", VK_RETURN}, "10.0.0.1"},
      {{"longer than the box", L"1234567890.1234567", VK_RETURN}, "1234567890.1234"},
      {{"cancelled", L"10.0.0.2", VK_ESCAPE}, std::nullopt},
  };
  for (const Case& c : cases) {
    std::wstring caption, shown;
    const auto result = DriveEditDialog(c.edit, caption, shown, [] { return RunIpAddressDialog(nullptr, "192.168.2.200"); });
    EXPECT_EQ(result, c.expected) << c.edit.name;
    EXPECT_EQ(caption, Wide(text::kIpAddressDialogTitle));
    EXPECT_EQ(shown, L"192.168.2.200");
  }
}

TEST(EditDialogs, ByteCountTakesDigitsOnlyAndGivesZeroOnEscape) {
  struct Case {
    EditCase edit;
    std::uint32_t expected;
  };
  const Case cases[] = {
      {{"digits with a letter among them", L"12a34", VK_RETURN}, 1234},
      {{"more digits than the box holds", L"123456789", VK_RETURN}, 1234567},
      {{"empty", L"", VK_RETURN}, 0},
      {{"cancelled", L"4096", VK_ESCAPE}, 0},
  };
  for (const Case& c : cases) {
    std::wstring caption, shown;
    EXPECT_EQ(DriveEditDialog(c.edit, caption, shown, [] { return RunByteCountDialog(nullptr); }), c.expected)
        << c.edit.name;
    EXPECT_EQ(caption, Wide(text::kByteCountTitle));
    EXPECT_EQ(shown, L"");
  }
}

// The parameters dialog opens on the current parameters; the driver picks
// FIFO mode 3, types a block size beyond its cap and a code of its own, then
// presses `button`.
ExtComParams RunParamsDialog(const ExtComParams& start, int button, ExtComDialogChoice& opened, std::wstring& caption) {
  ExtComParams params = start;
  ModalDriver driver([&](HWND dialog) {
    caption = Text(dialog);
    auto selected = [&](int id) { return static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0)); };
    opened.speedIndex = selected(IDC_PARAMS_SPEED);
    opened.fifoIndex = selected(IDC_PARAMS_FIFO);
    opened.lineIndex = selected(IDC_PARAMS_LINE);
    opened.codeIndex = selected(IDC_PARAMS_CODE);
    opened.channelIndex = selected(IDC_PARAMS_CHANNELS);
    opened.blockText = Utf8(Text(GetDlgItem(dialog, IDC_PARAMS_BLOCK)));
    SendDlgItemMessageW(dialog, IDC_PARAMS_FIFO, CB_SETCURSEL, kFifoParallelIrq, 0);
    HWND block = GetDlgItem(dialog, IDC_PARAMS_BLOCK);
    SetWindowTextW(block, L"");
    Type(block, L"9x999");
    Type(FindWindowExW(GetDlgItem(dialog, IDC_PARAMS_CODE), nullptr, L"Edit", nullptr), L"AA");
    PostMessageW(GetDlgItem(dialog, button), BM_CLICK, 0, 0);
  });
  RunTestParamsDialog(nullptr, params);
  EXPECT_EQ(driver.Problem(), "");
  return params;
}

TEST(TestParamsDialog, OkStoresWhatItShowsAndCancelNothing) {
  ExtComParams start;
  start.speedCode = 5;
  start.lineMode = 1;
  start.channelCount = kAllChannels;
  ExtComDialogChoice opened;
  std::wstring caption;

  const ExtComParams cancelled = RunParamsDialog(start, IDCANCEL, opened, caption);
  EXPECT_EQ(cancelled, start);
  EXPECT_EQ(caption, Wide(text::kParamsCaption));
  const ExtComDialogChoice expected = DialogOpeningChoice(start);
  EXPECT_EQ(opened.speedIndex, expected.speedIndex);
  EXPECT_EQ(opened.lineIndex, expected.lineIndex);
  EXPECT_EQ(opened.channelIndex, expected.channelIndex);
  EXPECT_EQ(opened.blockText, expected.blockText);

  const ExtComParams stored = RunParamsDialog(start, IDOK, opened, caption);
  EXPECT_EQ(stored.fifoMode, kFifoParallelIrq);
  EXPECT_EQ(stored.irqFlag, 1);
  EXPECT_EQ(stored.blockSize, kMaxBlockParallel);  // 9999 typed, the letter refused, capped
  EXPECT_EQ(stored.codePattern, -1);                // typed text selects no entry
  EXPECT_EQ(stored.speedCode, start.speedCode);
  EXPECT_EQ(stored.lineMode, start.lineMode);
  EXPECT_EQ(stored.channelCount, start.channelCount);
}

// The file dialogs: a name typed into the dialog comes back with the start
// folder's path; the save dialog asks before it replaces a file.
class FileDialogs : public ::testing::Test {
 protected:
  // Types `name` into the file dialog, presses OK, and answers a question
  // that then appears with `answer` (0: expect none).
  std::optional<std::string> Choose(bool save, const std::wstring& name, int answer) {
    bool asked = false;
    ModalDriver driver([&](HWND dialog) {
      HWND field = GetDlgItem(dialog, cmb13);
      if (field == nullptr) field = GetDlgItem(dialog, edt1);
      SetWindowTextW(field, name.c_str());
      PostMessageW(dialog, WM_COMMAND, IDOK, 0);
      if (answer == 0) return;
      HWND question = AwaitDialog(GetWindowThreadProcessId(dialog, nullptr), dialog);
      asked = question != nullptr;
      if (asked) PostMessageW(question, WM_COMMAND, answer, 0);
      if (answer == IDNO) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    const auto result = save ? AskSaveFile(nullptr, dir.Path()) : AskOpenFile(nullptr, dir.Path());
    EXPECT_EQ(driver.Problem(), "");
    EXPECT_EQ(asked, answer != 0);
    return result;
  }
  std::string PathOf(const std::string& name) {
    return (std::filesystem::path(dir.Path()) / name).lexically_normal().string();
  }
  static std::string Normal(const std::optional<std::string>& path) {
    return path ? std::filesystem::path(*path).lexically_normal().string() : "(cancelled)";
  }

  rz::testing::TempDir dir;
};

TEST_F(FileDialogs, OpenAndSaveReturnTheChosenPathAndSaveAsksBeforeReplacing) {
  dir.Write("image.rzi", std::vector<std::uint8_t>{1, 2, 3});
  EXPECT_EQ(Normal(Choose(false, L"image.rzi", 0)), PathOf("image.rzi"));
  EXPECT_EQ(Normal(Choose(true, L"new.bin", 0)), PathOf("new.bin"));
  EXPECT_EQ(Normal(Choose(true, L"image.rzi", IDYES)), PathOf("image.rzi"));
  EXPECT_EQ(Choose(true, L"image.rzi", IDNO), std::nullopt);
}

}  // namespace
}  // namespace rz::win32::test
