#include "editor/singlelinevalidator.h"

#include "editor/insertedlinebreaks.h"

#include <algorithm>

namespace tovren {

QValidator::State SingleLineValidator::validate(QString& input, int& position) const {
    // QLineEdit takes a changed input as the new text, with the cursor where we put it.
    std::size_t cursor = static_cast<std::size_t>(std::clamp<qsizetype>(position, 0, input.size()));
    if (removeInsertedLineBreaks(accepted_, input, cursor)) {
        position = static_cast<int>(cursor);
    }
    accepted_ = input;
    return Acceptable;
}

} // namespace tovren
