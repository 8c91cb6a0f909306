#pragma once

#include "world/worldtypes.h"

#include <cstddef>
#include <vector>

namespace tovren {

// Lays the maps out by the rule (the maps must be sorted by name): sets each map's region and
// cell, and returns what the layout tells: the loops that wrap around, or on the grid, the maps
// that overlap.
std::vector<Finding> placeMaps(std::vector<WorldMap>& maps, std::size_t& regionCount,
                               LayoutRule rule);

} // namespace tovren
