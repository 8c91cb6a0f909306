#pragma once

#include <QString>
#include <QValidator>

namespace tovren {

// Keeps the line breaks that an edit brings in out of a line edit (see
// removeInsertedLineBreaks), however they arrive: typed, pasted, dropped, set through the
// accessibility interface. A line edit's every change of text passes through its validator.
class SingleLineValidator : public QValidator {
public:
    using QValidator::QValidator;

    // The field is about to be set to this text exactly, line breaks and all: a line Load read.
    void acceptAsIs(const QString& text) const { accepted_ = text; }

    State validate(QString& input, int& position) const override;

private:
    mutable QString accepted_; // the field's text after its last change
};

} // namespace tovren
