#pragma once

#include <cstdio>
#include <mutex>
#include <string>

#include "app/journal_lines.h"
#include "app/station_ui.h"

namespace rz::cli {

// The station's window operations for a terminal. The journal goes to `out` in
// UTF-8: on a terminal it is drawn live (progress lines replaced in place);
// otherwise the lines an operation produced are printed in their final form when
// it ends (FlushJournal). Message boxes go to `err` as "caption: text".
class CliUi final : public StationUi {
 public:
  CliUi(std::FILE* out, std::FILE* err, bool live);

  void AddJournalLine(int mode, const std::string& text) override;
  void SetJournalLine(int line, const std::string& text) override;
  void InsertJournalLine(int line, const std::string& text) override;
  void DeleteJournalLine(int line) override;
  int JournalLineCount() override;
  std::string JournalLineText(int line) override;
  void SetStatusText(const std::string& text) override;
  void SetOperationControlsEnabled(bool enable) override;
  void SetSelectorEnabled(Selector selector, bool enable) override;
  void PostNextControlRequests(int) override {}
  void FocusJournal() override {}
  int SelectorIndex(Selector selector) override;
  void SetSelectorIndex(Selector selector, int index) override;
  bool EthernetSwitch() override;
  void SetEthernetSwitch(bool checked) override;
  void ShowError(const MessageBox& box) override;
  // Printed on stderr.
  void Note(const std::string& text) override;
  // One operation of a debug= word, or the interactive --debug-console.
  Outcome RunDebugConsole(Station& station, const DebugRequest* request) override;
  // A command line has no dialogs: the transfers take their file and count
  // from the operation's argument (write=FILE, read=FILE:COUNT) and never ask.
  std::optional<std::string> AskOpenFile(const std::string&) override { return std::nullopt; }
  std::optional<std::string> AskSaveFile(const std::string&) override { return std::nullopt; }
  std::uint32_t AskByteCount() override { return 0; }
  // The command line gives the address with the word ethernet=on:IPV4, which
  // the switch's handler takes instead of asking; were it ever asked, the
  // terminal has no dialog to offer and answers as ESC does.
  std::optional<std::string> RunIpAddressDialog(const std::string&) override { return std::nullopt; }

  bool SelectorEnabled(Selector selector);
  // Prints the lines added since the last flush (when not drawing live).
  void FlushJournal();

 private:
  // Live mode only; the caller holds the mutex.
  void Draw(int line);
  void MoveTo(int row);
  int ScreenRows() const;
  void CloseLiveRegion();

  std::mutex mutex_;
  std::FILE* out_;
  std::FILE* err_;
  bool live_;
  JournalLines journal_;
  int printed_ = 0;  // batch mode: lines already printed
  int base_ = 0;     // live mode: first line that can still be redrawn
  int drawn_ = 0;    // live mode: lines drawn so far
  int row_ = 0;      // live mode: the line the cursor is on
  int portIndex_ = kPortEntryCom1;
  int cpuIndex_ = kCpuEntry74;
  bool cpuEnabled_ = true;
  bool portEnabled_ = true;
  bool ethernet_ = false;
};

}  // namespace rz::cli
