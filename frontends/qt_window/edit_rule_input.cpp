#include "edit_rule_input.h"

#include <QLineEdit>
#include <QValidator>

#include <functional>

namespace rz::gui {
namespace {

class TextValidator final : public QValidator {
 public:
  TextValidator(std::function<bool(std::string_view)> accepts, QObject* parent)
      : QValidator(parent), accepts_(std::move(accepts)) {}

  State validate(QString& input, int& /*pos*/) const override {
    return accepts_(input.toStdString()) ? Acceptable : Invalid;
  }

 private:
  std::function<bool(std::string_view)> accepts_;
};

}  // namespace

void ApplyEditRule(QLineEdit& edit, const rz::EditRule& rule) {
  edit.setMaxLength(static_cast<int>(rule.maxChars));
  // The length limit alone keeps a box that takes any characters within the rule.
  if (!rule.digitsOnly) return;
  edit.setValidator(new TextValidator([rule](std::string_view text) { return rz::EditAccepts(rule, text); }, &edit));
}

void ApplyEditFilter(QLineEdit& edit, bool (*accepts)(std::string_view text)) {
  edit.setValidator(new TextValidator(accepts, &edit));
}

}  // namespace rz::gui
