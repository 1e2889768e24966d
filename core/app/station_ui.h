#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/outcome.h"

namespace rz {

class Station;
struct DebugRequest;

// The two drop-down lists of the main window.
enum class Selector { Port, CpuClock };

// Port selector entries, by position.
inline constexpr int kPortEntryCom1 = 0;
inline constexpr int kPortEntryCom2 = 1;
inline constexpr int kPortEntryNone = 2;
// CPU clock selector entries, by position.
inline constexpr int kCpuEntry74 = 0;
inline constexpr int kCpuEntry90 = 1;
// A selector with no entry selected.
inline constexpr int kNoEntry = -1;

// A message box. `ownedByWindow` is false for the start-up messages that appear
// before (or without) the main window. `details` adds what the system said of
// the failure (the device path and the reason, the directory searched); the
// window shows it as the box's informative text, the command line after the text.
struct MessageBox {
  std::string caption;
  std::string text;
  bool ownedByWindow = true;
  std::string details = {};
};

// The window operations that operations call. Any thread may call them; an
// implementation applies the change on its own window thread and returns only
// when it has been applied (and never blocks when already on that thread).
// Texts are UTF-8.
class StationUi {
 public:
  virtual ~StationUi() = default;

  // Journal. AddJournalLine mode 0 appends; any other mode replaces line
  // (count + mode), so -1 is the last line; an index outside the journal changes
  // nothing. Either way the last line is scrolled into view.
  virtual void AddJournalLine(int mode, const std::string& text) = 0;
  // Replaces line `line` (from 0), if it exists, and scrolls it into view.
  virtual void SetJournalLine(int line, const std::string& text) = 0;
  virtual void InsertJournalLine(int line, const std::string& text) = 0;
  virtual void DeleteJournalLine(int line) = 0;
  virtual int JournalLineCount() = 0;
  virtual std::string JournalLineText(int line) = 0;

  virtual void SetStatusText(const std::string& text) = 0;

  // Enables or disables the operation buttons, the port selector and the Ethernet
  // switch (the CPU clock selector is handled apart, see EnableControls()).
  virtual void SetOperationControlsEnabled(bool enable) = 0;
  virtual void SetSelectorEnabled(Selector selector, bool enable) = 0;
  // Posts `count` next-control requests: the focus moves that many tab stops on.
  virtual void PostNextControlRequests(int count) = 0;
  // Moves the keyboard focus to the journal (which is not a tab stop).
  virtual void FocusJournal() = 0;

  // Selected entry, or kNoEntry. Setting a selection never raises the
  // selection-change event that starts an operation.
  virtual int SelectorIndex(Selector selector) = 0;
  virtual void SetSelectorIndex(Selector selector, int index) = 0;

  virtual bool EthernetSwitch() = 0;
  virtual void SetEthernetSwitch(bool checked) = 0;

  // Shows an error message box and returns when the operator has closed it.
  virtual void ShowError(const MessageBox& box) = 0;
  // A remark beyond the journal for whoever runs the station: where the bytes
  // of a read that did not complete were kept, the system's reason for a
  // failure the journal shows only as an error line. The command line prints
  // it on stderr; the window has no place for it.
  virtual void Note(const std::string& text) { (void)text; }

  // Runs the debug console and returns when it has been left: the window's
  // modal console for `request` == nullptr, otherwise what the request asks
  // (one operation, or an interactive console on a terminal). Returns the
  // outcome of the request's operation.
  virtual Outcome RunDebugConsole(Station& station, const DebugRequest* request) = 0;
  // The dialogs of the Flash transfer buttons, run by their handlers on the
  // window's thread. The file dialogs offer one filter "(*.*)" and start in
  // `folder`; they return the chosen file's full path, or nothing when the
  // operator cancels. The save dialog asks before it overwrites a file.
  virtual std::optional<std::string> AskOpenFile(const std::string& folder) = 0;
  virtual std::optional<std::string> AskSaveFile(const std::string& folder) = 0;
  // The byte-count dialog: the count typed and confirmed with ENTER (its
  // leading digits, 0 without any), or 0 after ESC.
  virtual std::uint32_t AskByteCount() = 0;
  // Runs the IP-address dialog showing `shown`: the text entered with ENTER,
  // or nothing when the operator pressed ESC.
  virtual std::optional<std::string> RunIpAddressDialog(const std::string& shown) = 0;
  // Asks for the serial number of the board about to be tested (typed, or
  // typed by a scanner): the text confirmed with ENTER, or nothing when the
  // operator skipped it with ESC. A front end with nobody to ask answers
  // nothing.
  virtual std::optional<std::string> AskSerialNumber() { return std::nullopt; }
};

// The worker-side helpers built on the window operations.

// Enables or disables every control; the CPU clock selector is enabled only
// while its first entry ("CPU 74 MHz") is selected, so it stays disabled while
// the board runs at 90 MHz.
void EnableControls(StationUi& ui, bool enable);

// Gives the focus back to the button with focus index n: the handler moved it to
// the journal, from where n next-control requests reach that button. Nothing is
// posted for n = 0 or 1.
void RestoreFocus(StationUi& ui, std::uint8_t n);

}  // namespace rz
