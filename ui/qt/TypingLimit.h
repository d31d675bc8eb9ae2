// The "max N" of an edit: limits what the operator types, never what the program writes.
// QLineEdit::setMaxLength would also cut texts set from code; a validator is not
// consulted by setText, so it limits typing only.
#pragma once

#include <QValidator>

#include "ui/control.h"

namespace zhv {

class TypingLimit : public QValidator {
 public:
  TypingLimit(QObject* parent, const Control& model);
  State validate(QString& input, int& pos) const override;

 private:
  const Control& model_;  // holds the text as it was before this change
};

}  // namespace zhv
