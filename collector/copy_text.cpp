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

std::string TextArrayLiteral(const std::vector<std::string>& texts) {
  // Every item in double quotes, with \ and " escaped by a backslash.
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
  return literal + '}';
}

std::string NumberText(double number) {
  if (std::isnan(number)) return "NaN";
  if (std::isinf(number)) return number > 0 ? "Infinity" : "-Infinity";
  char buffer[64];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, number).ptr;
  return std::string(buffer, end);
}

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
  data_ += NumberText(*number);
  return *this;
}

CopyText& CopyText::Integer(long long number) {
  Separate();
  data_ += std::to_string(number);
  return *this;
}

CopyText& CopyText::TextArray(const std::vector<std::string>& texts) {
  return Text(TextArrayLiteral(texts));  // the literal as a whole escaped as COPY text
}

void CopyText::EndRow() {
  data_ += '\n';
  rowStarted_ = false;
}

}  // namespace rz::collect
