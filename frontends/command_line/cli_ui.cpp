#include "cli_ui.h"

#include <algorithm>

#include "cli_platform.h"

namespace rz::cli {

CliUi::CliUi(std::FILE* out, std::FILE* err, bool live) : out_(out), err_(err), live_(live) {}

void CliUi::AddJournalLine(int mode, const std::string& text) {
  std::lock_guard lock(mutex_);
  const int changed = journal_.Add(mode, text);
  if (live_ && changed >= 0) Draw(changed);
}

void CliUi::SetJournalLine(int line, const std::string& text) {
  std::lock_guard lock(mutex_);
  if (journal_.Set(line, text) && live_) Draw(line);
}

void CliUi::InsertJournalLine(int line, const std::string& text) {
  std::lock_guard lock(mutex_);
  if (!journal_.Insert(line, text)) return;
  if (printed_ > line) ++printed_;
  if (!live_) return;
  // Everything from the inserted line down moves: draw it again.
  for (int i = std::max(line, base_); i < journal_.Count(); ++i) Draw(i);
}

void CliUi::DeleteJournalLine(int line) {
  std::lock_guard lock(mutex_);
  if (!journal_.Erase(line)) return;
  if (printed_ > line) --printed_;
  if (!live_ || line < base_) return;
  const int oldLast = drawn_ - 1;
  drawn_ = journal_.Count();
  for (int i = line; i < drawn_; ++i) Draw(i);
  MoveTo(oldLast);
  std::fputs("\033[2K", out_);
  if (drawn_ > base_) MoveTo(drawn_ - 1);
  std::fflush(out_);
}

// Live drawing: the cursor stays on a drawn row (row_), without a newline after
// the last one, so that any row of the current operation can be redrawn.
void CliUi::MoveTo(int row) {
  if (row < row_) std::fprintf(out_, "\033[%dA", row_ - row);
  if (row > row_) std::fprintf(out_, "\033[%dB", row - row_);
  std::fputc('\r', out_);
  row_ = row;
}

// Rows of the terminal; rows that have scrolled above its top cannot be
// reached with the cursor any more.
int CliUi::ScreenRows() const { return TerminalRows(out_); }

void CliUi::Draw(int line) {
  if (line < base_) return;  // scrolled away with an earlier operation
  // Moving the cursor above the top of the screen would stop there and
  // overwrite the wrong row: a line scrolled off the screen stays as it was.
  if (line < drawn_ && drawn_ - 1 - line >= ScreenRows()) return;
  if (line >= drawn_) {
    for (; drawn_ <= line; ++drawn_) {
      if (drawn_ > base_) {
        MoveTo(drawn_ - 1);
        std::fputc('\n', out_);
      }
      row_ = drawn_;
      std::fputs("\r\033[2K", out_);
      std::fputs(journal_.Text(drawn_).c_str(), out_);
    }
  } else {
    MoveTo(line);
    std::fputs("\033[2K", out_);
    std::fputs(journal_.Text(line).c_str(), out_);
    MoveTo(drawn_ - 1);
  }
  std::fflush(out_);
}

// Ends the rows that can still be redrawn: the next line starts below them.
void CliUi::CloseLiveRegion() {
  if (drawn_ > base_) {
    MoveTo(drawn_ - 1);
    std::fputc('\n', out_);
  }
  base_ = drawn_ = journal_.Count();
  row_ = drawn_;
  std::fflush(out_);
}

void CliUi::FlushJournal() {
  std::lock_guard lock(mutex_);
  if (live_) {
    CloseLiveRegion();
    return;
  }
  for (; printed_ < journal_.Count(); ++printed_) {
    std::fputs(journal_.Text(printed_).c_str(), out_);
    std::fputc('\n', out_);
  }
  std::fflush(out_);
}

int CliUi::JournalLineCount() {
  std::lock_guard lock(mutex_);
  return journal_.Count();
}

std::string CliUi::JournalLineText(int line) {
  std::lock_guard lock(mutex_);
  return journal_.Text(line);
}

void CliUi::SetStatusText(const std::string&) {}

void CliUi::SetOperationControlsEnabled(bool enable) {
  std::lock_guard lock(mutex_);
  portEnabled_ = enable;
}

void CliUi::SetSelectorEnabled(Selector selector, bool enable) {
  std::lock_guard lock(mutex_);
  (selector == Selector::CpuClock ? cpuEnabled_ : portEnabled_) = enable;
}

bool CliUi::SelectorEnabled(Selector selector) {
  std::lock_guard lock(mutex_);
  return selector == Selector::CpuClock ? cpuEnabled_ : portEnabled_;
}

int CliUi::SelectorIndex(Selector selector) {
  std::lock_guard lock(mutex_);
  return selector == Selector::CpuClock ? cpuIndex_ : portIndex_;
}

void CliUi::SetSelectorIndex(Selector selector, int index) {
  std::lock_guard lock(mutex_);
  (selector == Selector::CpuClock ? cpuIndex_ : portIndex_) = index;
}

bool CliUi::EthernetSwitch() {
  std::lock_guard lock(mutex_);
  return ethernet_;
}

void CliUi::SetEthernetSwitch(bool checked) {
  std::lock_guard lock(mutex_);
  ethernet_ = checked;
}

void CliUi::ShowError(const MessageBox& box) {
  std::lock_guard lock(mutex_);
  if (live_) CloseLiveRegion();  // the journal continues below the message
  std::fflush(out_);
  if (box.details.empty()) {
    std::fprintf(err_, "%s: %s\n", box.caption.c_str(), box.text.c_str());
  } else {
    std::fprintf(err_, "%s: %s (%s)\n", box.caption.c_str(), box.text.c_str(), box.details.c_str());
  }
  std::fflush(err_);
}

void CliUi::Note(const std::string& text) {
  std::lock_guard lock(mutex_);
  if (live_) CloseLiveRegion();
  std::fflush(out_);
  std::fprintf(err_, "rzstation-cli: %s\n", text.c_str());
  std::fflush(err_);
}

}  // namespace rz::cli
