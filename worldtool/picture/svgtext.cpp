#include "worldtool/picture/svgtext.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace tovren {

namespace {

bool startsCharacter(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0U) != 0x80U;
}

} // namespace

std::string xml(const std::string& text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        case '\'':
            escaped += "&apos;";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                char code[8];
                std::snprintf(code, sizeof code, "\\x%02X", static_cast<unsigned char>(c));
                escaped += code;
            } else {
                escaped += c;
            }
        }
    }
    return escaped;
}

std::string number(double value) {
    // As printf's %g: six significant digits, the shorter of fixed and exponent form.
    char text[32];
    const std::to_chars_result written =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6);
    return {text, written.ptr};
}

std::string shortened(const std::string& name, std::size_t characters) {
    std::size_t count = 0;
    for (std::size_t at = 0; at < name.size(); ++at) {
        if (startsCharacter(name[at]) && ++count == characters) {
            const bool more = std::any_of(name.begin() + static_cast<std::ptrdiff_t>(at) + 1,
                                          name.end(), startsCharacter);
            return more ? name.substr(0, at) + "\u2026" : name;
        }
    }
    return name;
}

std::size_t characters(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), startsCharacter));
}

std::string pathThrough(const std::vector<Point>& points) {
    std::string d;
    for (const Point& point : points) {
        d += (d.empty() ? "M" : " L") + number(point.x) + ',' + number(point.y);
    }
    return d;
}

} // namespace tovren
