// The "max N" of an edit: limits what the operator types, never what the program writes.
// QLineEdit::setMaxLength would also cut texts set from code; a validator is not
// consulted by setText, so it limits typing only.
#pragma once

#include <QValidator>

class QLineEdit;

namespace zhv {

class TypingLimit : public QValidator {
 public:
  TypingLimit(QLineEdit* edit, int maxLength);
  State validate(QString& input, int& pos) const override;

 private:
  QLineEdit* edit_;
  int maxLength_;
};

}  // namespace zhv
