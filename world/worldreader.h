#pragma once

#include "world/world.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace tovren {

// Where one neighbour text of a map leads.
struct Link {
    enum class State { None, Map, Dangling };
    State state = State::None;
    std::size_t map = 0;                // with State::Map
    std::optional<FileFailure> failure; // with State::Dangling: why no file was found
};

// The maps of a folder as read, before they are sorted, laid out and judged.
struct ReadMaps {
    std::string folder;
    std::vector<WorldMap> maps; // each link in `links` refers into this
    std::vector<std::array<Link, 4>> links;
    std::vector<std::string> folderNames; // the listed names, for suggestions
};

// Lists the folder, loads every link file once, and follows every neighbour text, loading the
// link files outside the folder that texts reach. Throws FolderFailure.
ReadMaps readMaps(const std::string& folder);

} // namespace tovren
