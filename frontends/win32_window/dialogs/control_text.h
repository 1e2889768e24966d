#pragma once

#include <windows.h>

#include <string>

#include "app/edit_rule.h"

namespace rz::win32 {

// A window's or control's text in UTF-8, and setting it from UTF-8.
std::string WindowTextUtf8(HWND window);
void SetWindowTextUtf8(HWND window, const std::string& text);

// Makes an edit box keep to `rule`: its length limit, and digits only where
// the rule says so.
void ApplyEditRule(HWND edit, const EditRule& rule);

}  // namespace rz::win32
