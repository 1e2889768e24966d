#pragma once

#include <cstdint>
#include <string>

namespace rz {

// The three edit fields of the debug console.
enum class DebugField { Operation, Address, Data };

// Length limits of the three fields, in characters.
struct FieldLimits {
  int operation = 0;
  int address = 0;
  int data = 0;
};

// The debug console's window operations that the target threads call. As with
// StationUi, any thread may call them; an implementation applies the change on
// its window thread and returns once it has (the focus requests and
// RestoreDebugFocus only post, and return at once). Texts are UTF-8.
class DebugUi {
 public:
  virtual ~DebugUi() = default;

  // Mode 0 appends; a negative mode replaces line (count + mode), so -1 is the
  // last line; an index outside the journal changes nothing. Then the last
  // line is made visible.
  virtual void AddDebugLine(int mode, const std::string& text) = 0;
  virtual void SetDebugStatus(const std::string& text) = 0;
  // Posts `count` next-tab-stop requests (nothing for 0).
  virtual void RestoreDebugFocus(std::uint8_t count) = 0;
  // The five target buttons and "Выход"; also clears the current help text.
  virtual void EnableTargetButtons(bool enable) = 0;
  virtual void EnableFields(bool operation, bool address, bool data) = 0;
  // Empties each field whose flag is set.
  virtual void ClearFields(bool operation, bool address, bool data) = 0;
  // Posted focus requests: to the operation field, to the journal.
  virtual void RequestOperationFocus() = 0;
  virtual void RequestJournalFocus() = 0;
  virtual void SetFieldLimits(const FieldLimits& limits) = 0;
  // The text of a field, at most `limit` characters of it.
  virtual std::string ReadField(DebugField field, int limit) = 0;
};

}  // namespace rz
