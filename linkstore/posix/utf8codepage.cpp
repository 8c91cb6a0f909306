// On this host the 8-bit code page is UTF-8. Text is written as its own bytes; on reading, every
// byte that is not part of a valid UTF-8 sequence stands for its Windows-1252 character, so a
// link file written on Windows in the Western code page keeps its accents here.
#include "linkstore/hostcodepage.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tovren {

namespace {

// Windows-1252 characters of the bytes 0x80 to 0x9F. The five bytes it leaves undefined read
// as the control character of the same number.
constexpr std::array<char32_t, 32> windows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, //
};

char32_t windows1252Character(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) {
        return windows1252High[byte - 0x80];
    }
    return byte; // ASCII and Latin-1 share their code points with Windows-1252
}

void appendUtf8(std::string& out, char32_t character) {
    const auto c = static_cast<std::uint32_t>(character);
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        // Every Windows-1252 character lies in the Basic Multilingual Plane.
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

unsigned char byteAt(const std::string& bytes, std::size_t index) {
    return static_cast<unsigned char>(bytes[index]);
}

// The length of the well-formed UTF-8 sequence starting at `start`, or 0 when there is none.
// Overlong forms, surrogates and code points past U+10FFFF are not well-formed.
std::size_t validSequenceLength(const std::string& bytes, std::size_t start) {
    const unsigned char lead = byteAt(bytes, start);
    if (lead < 0x80) {
        return 1;
    }
    std::size_t length = 0;
    unsigned char secondLow = 0x80;
    unsigned char secondHigh = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) {
            secondLow = 0xA0;
        } else if (lead == 0xED) {
            secondHigh = 0x9F;
        }
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) {
            secondLow = 0x90;
        } else if (lead == 0xF4) {
            secondHigh = 0x8F;
        }
    } else {
        return 0;
    }
    if (bytes.size() - start < length) {
        return 0;
    }
    const unsigned char second = byteAt(bytes, start + 1);
    if (second < secondLow || second > secondHigh) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        const unsigned char next = byteAt(bytes, start + i);
        if (next < 0x80 || next > 0xBF) {
            return 0;
        }
    }
    return length;
}

// Skips ASCII a word at a time: link files are mostly plain map names, and lines can be long.
std::size_t skipAscii(const std::string& bytes, std::size_t position) {
    constexpr std::uint64_t highBits = 0x8080808080808080U;
    while (bytes.size() - position >= sizeof(std::uint64_t)) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes.data() + position, sizeof word);
        if ((word & highBits) != 0) {
            break;
        }
        position += sizeof word;
    }
    return position;
}

// The offset of the first byte that is not part of a valid sequence, or the size when all are.
std::size_t firstInvalidByte(const std::string& bytes) {
    std::size_t position = 0;
    while ((position = skipAscii(bytes, position)) < bytes.size()) {
        const std::size_t length = validSequenceLength(bytes, position);
        if (length == 0) {
            return position;
        }
        position += length;
    }
    return position;
}

} // namespace

std::string toHostCodePage(const std::string& text) {
    return text;
}

std::string fromHostCodePage(std::string bytes) {
    std::size_t position = firstInvalidByte(bytes);
    if (position == bytes.size()) {
        return bytes; // the common case: valid UTF-8 (ASCII included) reads as itself
    }
    std::string text = bytes.substr(0, position);
    text.reserve(bytes.size() + bytes.size() / 2);
    while (position < bytes.size()) {
        const std::size_t length = validSequenceLength(bytes, position);
        if (length == 0) {
            appendUtf8(text, windows1252Character(byteAt(bytes, position)));
            ++position;
        } else {
            text.append(bytes, position, length);
            position += length;
        }
    }
    return text;
}

} // namespace tovren
