#include "worldtool/picture/svgtext.h"

#include <algorithm>
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
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
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

std::string pathThrough(const std::vector<Point>& points) {
    std::string d;
    for (const Point& point : points) {
        d += (d.empty() ? "M" : " L") + number(point.x) + ',' + number(point.y);
    }
    return d;
}

} // namespace tovren
