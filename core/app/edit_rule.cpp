#include "app/edit_rule.h"

#include <algorithm>

namespace rz {
namespace {

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Byte length of the first `chars` UTF-8 characters of `text` (all of it when shorter).
std::size_t PrefixBytes(std::string_view text, std::size_t chars) {
  std::size_t seen = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsContinuationByte(text[i])) continue;
    if (seen == chars) return i;
    ++seen;
  }
  return text.size();
}

}  // namespace

bool EditAccepts(const EditRule& rule, std::string_view text) {
  if (PrefixBytes(text, rule.maxChars) != text.size()) return false;
  return !rule.digitsOnly || std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string_view EditClip(const EditRule& rule, std::string_view text) {
  return text.substr(0, PrefixBytes(text, rule.maxChars));
}

}  // namespace rz
