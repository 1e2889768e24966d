#include "control_text.h"

#include <vector>

#include "win32/win32_text.h"

namespace rz::win32 {

std::string WindowTextUtf8(HWND window) {
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return "";
  std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1);
  const int copied = GetWindowTextW(window, buffer.data(), static_cast<int>(buffer.size()));
  return Utf8(buffer.data(), static_cast<std::size_t>(copied > 0 ? copied : 0));
}

void SetWindowTextUtf8(HWND window, const std::string& text) { SetWindowTextW(window, Wide(text).c_str()); }

void ApplyEditRule(HWND edit, const EditRule& rule) {
  SendMessageW(edit, EM_SETLIMITTEXT, static_cast<WPARAM>(rule.maxChars), 0);
  const LONG_PTR style = GetWindowLongPtrW(edit, GWL_STYLE);
  const LONG_PTR wanted = rule.digitsOnly ? (style | ES_NUMBER) : (style & ~static_cast<LONG_PTR>(ES_NUMBER));
  if (wanted != style) SetWindowLongPtrW(edit, GWL_STYLE, wanted);
}

}  // namespace rz::win32
