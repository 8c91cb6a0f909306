#include "editor/singlelinevalidator.h"

#include <algorithm>

namespace tovren {

namespace {
bool isLineBreak(QChar c) {
    return c == u'\r' || c == u'\n';
}
} // namespace

QValidator::State SingleLineValidator::validate(QString& input, int& position) const {
    // QLineEdit takes a changed input as the new text, with the cursor where we put it.
    if (input.contains(u'\r') || input.contains(u'\n')) {
        const auto cursor = input.cbegin() + std::clamp<qsizetype>(position, 0, input.size());
        const auto breaksBeforeCursor = std::count_if(input.cbegin(), cursor, isLineBreak);
        input.removeIf(isLineBreak);
        position -= static_cast<int>(breaksBeforeCursor);
    }
    return Acceptable;
}

} // namespace tovren
