#include "app/serial_number_entry.h"

namespace rz {
namespace {

// Byte length of the control character at the start of `text`, 0 when it
// starts with anything else. C1 controls are U+0080..U+009F, 0xC2 0x80..0x9F.
std::size_t ControlLength(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  if (byte(0) < 0x20 || byte(0) == 0x7F) return 1;
  if (byte(0) == 0xC2 && text.size() > 1 && byte(1) >= 0x80 && byte(1) <= 0x9F) return 2;
  return 0;
}

}  // namespace

std::string SerialNumberPrintable(std::string_view text) {
  std::string kept;
  kept.reserve(text.size());
  while (!text.empty()) {
    const std::size_t control = ControlLength(text);
    if (control == 0) kept += text.front();
    text.remove_prefix(control == 0 ? 1 : control);
  }
  return std::string(EditClip(kSerialNumberEdit, kept));
}

bool SerialNumberBoxAccepts(std::string_view text) {
  return EditAccepts(kSerialNumberEdit, text) && SerialNumberPrintable(text) == text;
}

std::optional<std::string> SerialNumberOnEnter(std::string_view text) {
  const std::string printable = SerialNumberPrintable(text);
  const std::size_t first = printable.find_first_not_of(' ');
  if (first == std::string::npos) return std::nullopt;
  return printable.substr(first, printable.find_last_not_of(' ') - first + 1);
}

}  // namespace rz
