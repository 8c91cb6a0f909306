#pragma once

#include <QValidator>

namespace tovren {

// Keeps line breaks out of a line edit, however they arrive: typed, pasted, dropped or set.
// A CR or LF inside a neighbour's name would shift every later line of its link file.
class SingleLineValidator : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int& position) const override;
};

} // namespace tovren
