#pragma once

#include <string>
#include <vector>

namespace rz {

// The journal's lines as data: every front end keeps its journal in one of these
// so that the rules for modes and indices exist once.
class JournalLines {
 public:
  // Mode 0 appends; any other mode replaces line (count + mode). Returns the
  // index of the line that changed, or -1 when the index falls outside.
  int Add(int mode, const std::string& text);
  // Replaces line `line`; returns false (and changes nothing) when it is absent.
  bool Set(int line, const std::string& text);
  // Inserts before `line` (0..count); returns false when out of range.
  bool Insert(int line, const std::string& text);
  bool Erase(int line);

  int Count() const { return static_cast<int>(lines_.size()); }
  // Text of line `line`, or an empty string when it is absent.
  const std::string& Text(int line) const;
  const std::vector<std::string>& Lines() const { return lines_; }
  void Clear() { lines_.clear(); }

 private:
  bool Contains(int line) const { return line >= 0 && line < Count(); }
  std::vector<std::string> lines_;
};

}  // namespace rz
