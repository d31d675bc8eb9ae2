#include "ui/qt/TypingLimit.h"

namespace zhv {

TypingLimit::TypingLimit(QObject* parent, const Control& model)
    : QValidator(parent), model_(model) {}

QValidator::State TypingLimit::validate(QString& input, int&) const {
  if (input.size() <= model_.MaxLength()) return Acceptable;
  // A text the program made longer than the limit may still be shortened.
  return input.size() < QString::fromStdString(model_.Text()).size() ? Acceptable : Invalid;
}

}  // namespace zhv
