#pragma once

#include <string_view>

#include "app/edit_rule.h"

class QLineEdit;

namespace rz::gui {

// Makes `edit` follow `rule`: its length limit and, for a digits-only box, an
// input filter that refuses any change after which the text would break it.
void ApplyEditRule(QLineEdit& edit, const rz::EditRule& rule);

// An input filter that refuses any change after which `accepts` would refuse
// the box's text (UTF-8).
void ApplyEditFilter(QLineEdit& edit, bool (*accepts)(std::string_view text));

}  // namespace rz::gui
