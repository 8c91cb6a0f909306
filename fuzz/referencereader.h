#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace tovren::fuzz {

// The link file's line rule read the plainest way, a byte at a time, to check the real reader
// against: a line ends at CR, an LF right after it goes with it, a last line may lack its end,
// and asking for a line at the end of the bytes fails.
inline std::optional<std::array<std::string, 4>> referenceLines(std::string_view bytes) {
    std::array<std::string, 4> lines;
    std::size_t position = 0;
    for (std::string& line : lines) {
        if (position == bytes.size()) {
            return std::nullopt;
        }
        while (position < bytes.size() && bytes[position] != '\r') {
            line += bytes[position++];
        }
        if (position < bytes.size()) {
            ++position; // the CR
            if (position < bytes.size() && bytes[position] == '\n') {
                ++position;
            }
        }
    }
    return lines;
}

// Whether the text is well-formed UTF-8, decoded code point by code point.
inline bool isWellFormedUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int length = lead < 0x80 ? 1 : lead >> 5 == 6 ? 2 : lead >> 4 == 14 ? 3 : lead >> 3 == 30 ? 4 : 0;
        if (length == 0 || i + static_cast<std::size_t>(length) > text.size()) {
            return false;
        }
        char32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            if (next >> 6 != 2) {
                return false;
            }
            code = (code << 6) | (next & 0x3F);
        }
        const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        i += static_cast<std::size_t>(length);
    }
    return true;
}

} // namespace tovren::fuzz
