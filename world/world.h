#pragma once

#include "worldtypes.h"

#include <string>

namespace tovren {

// Reads every link file of the folder (not its subfolders) through the link file store, as
// Tovren's Load reads it, follows every neighbour text as Load would resolve it, lays the maps
// out by the rule, and tells what is wrong: one-way links, links to no link file, files that
// cannot be loaded, merges left unresolved, and loops that wrap around (or, on the grid, maps
// that overlap). Throws FolderFailure when the folder cannot be listed.
TOVREN_WORLD_API World readWorld(const std::string& folder,
                                 LayoutRule layout = LayoutRule::ByDirection);

} // namespace tovren
