#pragma once

#include <string>

namespace tovren {

// The maps reached from one map going up, down, left and right, in the line order of its
// link file. An empty text means nothing is linked on that side. Text is UTF-8.
struct LinkRecord {
    std::string up;
    std::string down;
    std::string left;
    std::string right;

    bool operator==(const LinkRecord&) const = default;
};

} // namespace tovren
