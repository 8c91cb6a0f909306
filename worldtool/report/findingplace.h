#pragma once

#include "world/world.h"

#include <cstddef>
#include <optional>
#include <string>

namespace tovren {

// Where CI shows a finding: the link file of its map, relative to the current folder with "/"
// between its parts (as CI runs from the repository's top), and the lines it is about: its
// direction's (1 up, 2 down, 3 left, 4 right), an unresolved merge's span, or none for a
// finding about the whole file.
struct FindingPlace {
    std::string file;
    std::optional<std::size_t> firstLine;
    std::optional<std::size_t> lastLine;
};

FindingPlace findingPlace(const World& world, const Finding& finding);

} // namespace tovren
