#pragma once

#include "world/hostfolder.h"
#include "world/worldtypes.h"

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

// Loads one entry of the folder (absolute) through the store, as a map with its name as shown,
// its link text, its path, and its links or why they could not be loaded; a folder or a device
// is refused unopened.
WorldMap loadFolderMap(const std::string& folder, LinkFileEntry entry);

// Lists the folder (absolute) and loads every link file once, while the listing goes on, on as
// many threads as the machine has cores, each file on its own. Throws FolderFailure.
std::vector<WorldMap> loadFolder(const std::string& folder);

// The world of a folder's maps as loaded: sorted by name, and every neighbour text followed,
// loading the link files outside the folder that texts reach.
ReadMaps readMaps(const std::string& folder, std::vector<WorldMap> loaded);

// Lists the folder, loads every link file, and follows every text. Throws FolderFailure.
ReadMaps readMaps(const std::string& folder);

// The world of maps read: judged, and laid out by the rule.
World worldOf(ReadMaps read, LayoutRule layout);

} // namespace tovren
