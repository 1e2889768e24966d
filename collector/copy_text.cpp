#include "copy_text.h"

#include <charconv>
#include <cmath>

namespace rz::collect {
namespace {

void AppendEscaped(std::string& out, std::string_view text) {
  for (const char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
}

}  // namespace

void CopyText::Separate() {
  if (rowStarted_) data_ += '\t';
  rowStarted_ = true;
}

void CopyText::Null() {
  Separate();
  data_ += "\\N";
}

CopyText& CopyText::Text(std::string_view text) {
  Separate();
  AppendEscaped(data_, text);
  return *this;
}

CopyText& CopyText::TextOrNull(const std::optional<std::string>& text) {
  if (text) return Text(*text);
  Null();
  return *this;
}

CopyText& CopyText::Number(std::optional<double> number) {
  if (!number) {
    Null();
    return *this;
  }
  Separate();
  if (std::isnan(*number)) {
    data_ += "NaN";
  } else if (std::isinf(*number)) {
    data_ += *number > 0 ? "Infinity" : "-Infinity";
  } else {
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, *number).ptr;
    data_.append(buffer, end);
  }
  return *this;
}

CopyText& CopyText::Integer(long long number) {
  Separate();
  data_ += std::to_string(number);
  return *this;
}

CopyText& CopyText::TextArray(const std::vector<std::string>& texts) {
  // An array literal: every item in double quotes with \ and " escaped by a
  // backslash; the literal as a whole is then escaped as COPY text.
  std::string literal = "{";
  for (const std::string& text : texts) {
    if (literal.size() > 1) literal += ',';
    literal += '"';
    for (const char c : text) {
      if (c == '"' || c == '\\') literal += '\\';
      literal += c;
    }
    literal += '"';
  }
  literal += '}';
  return Text(std::string_view(literal));
}

void CopyText::EndRow() {
  data_ += '\n';
  rowStarted_ = false;
}

}  // namespace rz::collect
