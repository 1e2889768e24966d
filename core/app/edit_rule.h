#pragma once

#include <cstddef>
#include <string_view>

namespace rz {

// What a dialog's edit box takes: at most `maxChars` characters, and nothing
// but the decimal digits 0-9 when `digitsOnly` is set. A front end applies it
// as the box's length limit and input filter, so that what the dialog later
// reads from the box always satisfies it.
struct EditRule {
  std::size_t maxChars = 0;
  bool digitsOnly = false;
};

// Whether the box may hold `text` (UTF-8; characters, not bytes, are counted).
bool EditAccepts(const EditRule& rule, std::string_view text);

// The first `rule.maxChars` characters of `text` (UTF-8), as the box would
// keep them.
std::string_view EditClip(const EditRule& rule, std::string_view text);

}  // namespace rz
