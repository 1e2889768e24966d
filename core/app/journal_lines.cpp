#include "app/journal_lines.h"

namespace rz {

int JournalLines::Add(int mode, const std::string& text) {
  if (mode == 0) {
    lines_.push_back(text);
    return Count() - 1;
  }
  const int line = Count() + mode;
  return Set(line, text) ? line : -1;
}

bool JournalLines::Set(int line, const std::string& text) {
  if (!Contains(line)) return false;
  lines_[static_cast<std::size_t>(line)] = text;
  return true;
}

bool JournalLines::Insert(int line, const std::string& text) {
  if (line < 0 || line > Count()) return false;
  lines_.insert(lines_.begin() + line, text);
  return true;
}

bool JournalLines::Erase(int line) {
  if (!Contains(line)) return false;
  lines_.erase(lines_.begin() + line);
  return true;
}

const std::string& JournalLines::Text(int line) const {
  static const std::string empty;
  return Contains(line) ? lines_[static_cast<std::size_t>(line)] : empty;
}

}  // namespace rz
