#pragma once

#include <algorithm>
#include <cstddef>
#include <utility>

namespace tovren {

// A field never takes in a CR or LF, however text arrives: typed, pasted, dropped or set by an
// assistive tool. A line break inside a neighbour's name would shift every later line of its
// link file. A line break the field already holds stays, though: a line that Load read may
// hold a lone LF, and Done must write that line back exactly as it was.
//
// Removes the CRs and LFs that one edit brought into a field's text, `before` being the text
// the edit started from. An edit replaces one stretch of the text, so what it brought in lies
// between the common beginning and the common end of the two texts. `cursor` moves with the
// text. Returns whether anything was removed. Text is any string of UTF-16 code units.
template <typename Text>
bool removeInsertedLineBreaks(const Text& before, Text& after, std::size_t& cursor) {
    const auto beforeSize = static_cast<std::size_t>(before.size());
    const auto afterSize = static_cast<std::size_t>(after.size());
    const std::size_t shorter = std::min(beforeSize, afterSize);
    std::size_t head = 0;
    while (head < shorter && before[head] == after[head]) {
        ++head;
    }
    std::size_t tail = 0;
    while (tail < shorter - head && before[beforeSize - 1 - tail] == after[afterSize - 1 - tail]) {
        ++tail;
    }
    const auto isLineBreak = [](auto c) {
        return c == u'\r' || c == u'\n';
    };
    const std::size_t insertedEnd = afterSize - tail;
    Text kept;
    kept.reserve(after.size());
    std::size_t removedBeforeCursor = 0;
    for (std::size_t i = 0; i < afterSize; ++i) {
        if (i >= head && i < insertedEnd && isLineBreak(after[i])) {
            removedBeforeCursor += i < cursor ? 1 : 0;
            continue;
        }
        kept.push_back(after[i]);
    }
    if (kept.size() == after.size()) {
        return false;
    }
    after = std::move(kept);
    cursor -= removedBeforeCursor;
    return true;
}

} // namespace tovren
