#pragma once

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/journal_lines.h"
#include "app/sound.h"
#include "app/station_ui.h"
#include "debug/debug_request.h"

namespace rz::testing {

// A StationUi that records what the operations did to the window.
class RecordingUi final : public StationUi {
 public:
  void AddJournalLine(int mode, const std::string& text) override {
    std::lock_guard lock(mutex_);
    journal.Add(mode, text);
    ++journalCalls;
    addCalls.emplace_back(mode, text);
  }
  void SetJournalLine(int line, const std::string& text) override {
    std::lock_guard lock(mutex_);
    journal.Set(line, text);
  }
  void InsertJournalLine(int line, const std::string& text) override {
    std::lock_guard lock(mutex_);
    journal.Insert(line, text);
  }
  void DeleteJournalLine(int line) override {
    std::lock_guard lock(mutex_);
    journal.Erase(line);
  }
  int JournalLineCount() override {
    std::lock_guard lock(mutex_);
    return journal.Count();
  }
  std::string JournalLineText(int line) override {
    std::lock_guard lock(mutex_);
    return journal.Text(line);
  }
  void SetStatusText(const std::string& text) override {
    std::lock_guard lock(mutex_);
    status = text;
  }
  void SetOperationControlsEnabled(bool enable) override {
    std::lock_guard lock(mutex_);
    controlsEnabled = enable;
    enableCalls.push_back(enable);
  }
  void SetSelectorEnabled(Selector selector, bool enable) override {
    std::lock_guard lock(mutex_);
    (selector == Selector::CpuClock ? cpuEnabled : portEnabled) = enable;
  }
  void PostNextControlRequests(int count) override {
    std::lock_guard lock(mutex_);
    nextControlRequests.push_back(count);
  }
  void FocusJournal() override {
    std::lock_guard lock(mutex_);
    ++journalFocused;
  }
  int SelectorIndex(Selector selector) override {
    std::lock_guard lock(mutex_);
    return selector == Selector::CpuClock ? cpuIndex : portIndex;
  }
  void SetSelectorIndex(Selector selector, int index) override {
    std::lock_guard lock(mutex_);
    (selector == Selector::CpuClock ? cpuIndex : portIndex) = index;
  }
  bool EthernetSwitch() override {
    std::lock_guard lock(mutex_);
    return ethernet;
  }
  void SetEthernetSwitch(bool checked) override {
    std::lock_guard lock(mutex_);
    ethernet = checked;
  }
  void ShowError(const MessageBox& box) override {
    std::lock_guard lock(mutex_);
    messages.push_back(box);
  }
  void Note(const std::string& text) override {
    std::lock_guard lock(mutex_);
    notes.push_back(text);
  }

  // Records the request (nullptr: the window's console) and returns
  // `debugOutcome`, unless a test runs a console of its own.
  Outcome RunDebugConsole(Station& station, const DebugRequest* request) override {
    std::function<Outcome(Station&, const DebugRequest*)> run;
    {
      std::lock_guard lock(mutex_);
      DebugRequest recorded;
      if (request != nullptr) {
        recorded = *request;
      } else {
        recorded.target = -1;
      }
      debugRequests.push_back(recorded);
      run = runDebugConsole;
    }
    return run ? run(station, request) : debugOutcome;
  }
  // The transfer dialogs answer from the script below and note the folder.
  std::optional<std::string> AskOpenFile(const std::string& folder) override {
    std::lock_guard lock(mutex_);
    dialogFolders.push_back(folder);
    return openFileAnswer;
  }
  std::optional<std::string> AskSaveFile(const std::string& folder) override {
    std::lock_guard lock(mutex_);
    dialogFolders.push_back(folder);
    return saveFileAnswer;
  }
  std::uint32_t AskByteCount() override {
    std::lock_guard lock(mutex_);
    ++byteCountAsked;
    return byteCountAnswer;
  }
  // Answers the IP-address dialog with the next scripted answer (nothing = ESC)
  // and records what it was shown.
  std::optional<std::string> RunIpAddressDialog(const std::string& shown) override {
    std::lock_guard lock(mutex_);
    ipDialogShown.push_back(shown);
    if (ipDialogAnswers.empty()) return std::nullopt;
    std::optional<std::string> answer = ipDialogAnswers.front();
    ipDialogAnswers.erase(ipDialogAnswers.begin());
    return answer;
  }

  std::vector<std::string> Lines() {
    std::lock_guard lock(mutex_);
    return journal.Lines();
  }
  // The lines from `first` on.
  std::vector<std::string> LinesFrom(int first) {
    std::lock_guard lock(mutex_);
    const auto& all = journal.Lines();
    return {all.begin() + std::min<std::ptrdiff_t>(first, static_cast<std::ptrdiff_t>(all.size())), all.end()};
  }

  // Public for the tests to read once the operation has ended.
  JournalLines journal;
  int journalCalls = 0;
  std::vector<std::pair<int, std::string>> addCalls;  // every AddJournalLine(mode, text)
  std::string status;
  bool controlsEnabled = true;
  std::vector<bool> enableCalls;
  bool cpuEnabled = true;
  bool portEnabled = true;
  std::vector<int> nextControlRequests;
  int journalFocused = 0;
  int portIndex = kPortEntryCom1;
  int cpuIndex = kCpuEntry74;
  bool ethernet = false;
  std::vector<MessageBox> messages;
  std::vector<std::string> notes;
  std::vector<DebugRequest> debugRequests;  // target -1: the window's console
  Outcome debugOutcome = Outcome::Success;
  std::function<Outcome(Station&, const DebugRequest*)> runDebugConsole;
  std::optional<std::string> openFileAnswer;
  std::optional<std::string> saveFileAnswer;
  std::uint32_t byteCountAnswer = 0;
  std::vector<std::string> dialogFolders;
  int byteCountAsked = 0;
  std::vector<std::optional<std::string>> ipDialogAnswers;
  std::vector<std::string> ipDialogShown;

 private:
  std::mutex mutex_;
};

// A SoundSink that records the tones.
class RecordingSound final : public SoundSink {
 public:
  struct Tone {
    int hertz;
    int milliseconds;
    bool blocking;
    bool operator==(const Tone&) const = default;
  };
  void PlayAsync(int hertz, int milliseconds) override { Record({hertz, milliseconds, false}); }
  void Play(int hertz, int milliseconds) override { Record({hertz, milliseconds, true}); }
  std::vector<Tone> Tones() {
    std::lock_guard lock(mutex_);
    return tones_;
  }

 private:
  void Record(const Tone& tone) {
    std::lock_guard lock(mutex_);
    tones_.push_back(tone);
  }
  std::mutex mutex_;
  std::vector<Tone> tones_;
};

}  // namespace rz::testing
