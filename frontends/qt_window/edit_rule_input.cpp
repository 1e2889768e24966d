#include "edit_rule_input.h"

#include <QLineEdit>
#include <QValidator>

namespace rz::gui {
namespace {

class EditRuleValidator final : public QValidator {
 public:
  EditRuleValidator(const rz::EditRule& rule, QObject* parent) : QValidator(parent), rule_(rule) {}

  State validate(QString& input, int& /*pos*/) const override {
    return rz::EditAccepts(rule_, input.toStdString()) ? Acceptable : Invalid;
  }

 private:
  rz::EditRule rule_;
};

}  // namespace

void ApplyEditRule(QLineEdit& edit, const rz::EditRule& rule) {
  edit.setMaxLength(static_cast<int>(rule.maxChars));
  // The length limit alone keeps a box that takes any characters within the rule.
  if (rule.digitsOnly) edit.setValidator(new EditRuleValidator(rule, &edit));
}

}  // namespace rz::gui
