#include "linkstore/linkformat.h"

namespace tovren {

namespace {
constexpr std::string_view lineEnd = "\r\n";
}

std::string linkFileBytes(const std::array<std::string, 4>& hostLines) {
    std::size_t size = 0;
    for (const std::string& line : hostLines) {
        size += line.size() + lineEnd.size();
    }
    std::string bytes;
    bytes.reserve(size);
    for (const std::string& line : hostLines) {
        bytes += line;
        bytes += lineEnd;
    }
    return bytes;
}

void LinkLineReader::feed(std::string_view bytes) {
    std::size_t position = 0;
    while (position < bytes.size() && !complete()) {
        if (skipLineFeed_) {
            skipLineFeed_ = false;
            if (bytes[position] == '\n') {
                ++position;
                continue;
            }
        }
        std::string& line = lines_[finishedLines_];
        const std::size_t carriageReturn = bytes.find('\r', position);
        if (carriageReturn == std::string_view::npos) {
            line.append(bytes.substr(position));
            lineStarted_ = true;
            return;
        }
        line.append(bytes.substr(position, carriageReturn - position));
        ++finishedLines_;
        lineStarted_ = false;
        skipLineFeed_ = true;
        position = carriageReturn + 1;
    }
}

bool LinkLineReader::finish() noexcept {
    if (!complete() && lineStarted_) {
        ++finishedLines_;
        lineStarted_ = false;
    }
    return complete();
}

} // namespace tovren
