#pragma once

#include <string>
#include <string_view>

namespace rz {

// UTF-8 to CP1251, one byte per character; characters without a CP1251 form
// (and malformed UTF-8) become '?'.
std::string Utf8ToCp1251(std::string_view utf8);

// CP1251 to UTF-8.
std::string Cp1251ToUtf8(std::string_view cp1251);

}  // namespace rz
