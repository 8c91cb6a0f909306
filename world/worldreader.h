#pragma once

#include "world/world.h"

#include <cstddef>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace tovren {

// The maps of a folder as read, sorted by name, before they are laid out and judged. A text
// that is not empty and leads to no map is dangling.
struct ReadMaps {
    std::string folder;
    std::vector<WorldMap> maps;
    // Why a dangling text names no file, where the store was asked and said more.
    std::map<std::pair<std::size_t, Direction>, FileFailure> danglingFailures;
};

// Lists the folder, loads every link file once, and follows every neighbour text, loading the
// link files outside the folder that texts reach. Throws FolderFailure.
ReadMaps readMaps(const std::string& folder);

} // namespace tovren
