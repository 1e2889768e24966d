#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "app/station_ui.h"

namespace rz {

// The main window's own side of the window operations, as a front end's
// window implements them. Window thread only.
class StationWindow {
 public:
  virtual ~StationWindow() = default;

  virtual void AddJournalLine(int mode, const std::string& text) = 0;
  virtual void SetJournalLine(int line, const std::string& text) = 0;
  virtual void InsertJournalLine(int line, const std::string& text) = 0;
  virtual void DeleteJournalLine(int line) = 0;
  virtual int JournalLineCount() const = 0;
  virtual std::string JournalLineText(int line) const = 0;
  virtual void SetStatusText(const std::string& text) = 0;
  virtual void SetOperationControlsEnabled(bool enable) = 0;
  virtual void SetSelectorEnabled(Selector selector, bool enable) = 0;
  virtual void PostNextControlRequests(int count) = 0;
  virtual void FocusJournal() = 0;
  virtual int SelectorIndex(Selector selector) const = 0;
  virtual void SetSelectorIndex(Selector selector, int index) = 0;
  virtual bool EthernetSwitch() const = 0;
  virtual void SetEthernetSwitch(bool checked) = 0;
};

// The modal windows a front end opens over its main window (see StationUi for
// what each answers). Called on the window's thread, except PresentError
// when there is no window thread to run it on.
class StationDialogs {
 public:
  virtual ~StationDialogs() = default;

  // `overWindow`: the box belongs to the main window (box.ownedByWindow) and
  // runs on its thread; otherwise it has no owner.
  virtual void PresentError(const MessageBox& box, bool overWindow) = 0;
  virtual void PresentDebugConsole(Station& station) = 0;
  virtual std::optional<std::string> PresentOpenFile(const std::string& folder) = 0;
  virtual std::optional<std::string> PresentSaveFile(const std::string& folder) = 0;
  virtual std::uint32_t PresentByteCount() = 0;
  virtual std::optional<std::string> PresentIpAddress(const std::string& shown) = 0;
  // The serial-number dialog: the text confirmed with ENTER, or nothing after ESC.
  virtual std::optional<std::string> PresentSerialNumber() = 0;
};

// Runs `call` on the window's thread and returns once it has run there
// (directly when called on that thread). Returns false, without running it,
// when there is no window thread to run it on.
using WindowThreadRunner = std::function<bool(const std::function<void()>& call)>;

// The window operations over a front end's main window and dialogs: every
// call, from any thread, runs on the window's thread through the runner and
// returns once applied. Before a window is attached, and after it has gone,
// the journal and control operations do nothing and the reads return empty
// values; dialogs still run (without the window as their owner) where the
// runner can run them, and an error box that the runner cannot run is shown
// on the calling thread.
class WindowThreadUi : public StationUi {
 public:
  WindowThreadUi(WindowThreadRunner runner, StationDialogs& dialogs)
      : run_(std::move(runner)), dialogs_(dialogs) {}

  // Window thread only, before any operation starts and after the last one.
  void Attach(StationWindow* window) { window_.store(window); }

  void AddJournalLine(int mode, const std::string& text) final;
  void SetJournalLine(int line, const std::string& text) final;
  void InsertJournalLine(int line, const std::string& text) final;
  void DeleteJournalLine(int line) final;
  int JournalLineCount() final;
  std::string JournalLineText(int line) final;
  void SetStatusText(const std::string& text) final;
  void SetOperationControlsEnabled(bool enable) final;
  void SetSelectorEnabled(Selector selector, bool enable) final;
  void PostNextControlRequests(int count) final;
  void FocusJournal() final;
  int SelectorIndex(Selector selector) final;
  void SetSelectorIndex(Selector selector, int index) final;
  bool EthernetSwitch() final;
  void SetEthernetSwitch(bool checked) final;

  void ShowError(const MessageBox& box) final;
  // Runs the window's debug console modally (the request is for the command
  // line and is not used here).
  Outcome RunDebugConsole(Station& station, const DebugRequest* request) final;
  std::optional<std::string> AskOpenFile(const std::string& folder) final;
  std::optional<std::string> AskSaveFile(const std::string& folder) final;
  std::uint32_t AskByteCount() final;
  std::optional<std::string> RunIpAddressDialog(const std::string& shown) final;
  std::optional<std::string> AskSerialNumber() final;

 private:
  // Runs `apply(window)` on the window's thread when a window is attached.
  void WithWindow(const std::function<void(StationWindow&)>& apply);
  // Runs `apply()` on the window's thread; the value it returns there, or
  // `T{}` when it could not run.
  template <typename T, typename Apply>
  T OnWindowThread(Apply&& apply);

  WindowThreadRunner run_;
  StationDialogs& dialogs_;
  std::atomic<StationWindow*> window_{nullptr};
};

}  // namespace rz
