#include "ui/qt/TypingLimit.h"

#include <QLineEdit>

namespace zhv {

TypingLimit::TypingLimit(QLineEdit* edit, int maxLength)
    : QValidator(edit), edit_(edit), maxLength_(maxLength) {}

QValidator::State TypingLimit::validate(QString& input, int&) const {
  // A text the program made longer than the limit may still be shortened.
  if (input.size() <= maxLength_ || input.size() < edit_->text().size()) return Acceptable;
  return Invalid;
}

}  // namespace zhv
