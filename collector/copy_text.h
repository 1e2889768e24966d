#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rz::collect {

// An array literal of texts, e.g. {"a","b \"c\""}, as text[] takes it.
std::string TextArrayLiteral(const std::vector<std::string>& texts);

// A number as PostgreSQL reads it back exactly (Infinity, -Infinity, NaN).
std::string NumberText(double number);

// Rows in the text format of PostgreSQL's COPY: fields separated by tabs,
// rows ended by a line feed, NULL as \N, backslash escapes in text, and
// text[] columns as array literals.
class CopyText {
 public:
  CopyText& Text(std::string_view text);
  CopyText& TextOrNull(const std::optional<std::string>& text);
  CopyText& Number(std::optional<double> number);
  CopyText& Integer(long long number);
  CopyText& TextArray(const std::vector<std::string>& texts);
  void EndRow();

  const std::string& Data() const { return data_; }
  void Clear() { data_.clear(); }

 private:
  void Separate();
  void Null();

  std::string data_;
  bool rowStarted_ = false;
};

}  // namespace rz::collect
