#pragma once

#include "world/worldtypes.h"

#include <vector>

namespace tovren {

// Lays the maps out on a grid of equal screens by their links, one step per link, region by region:
// each region starts at 0, 0 from its first map by name (the maps must be sorted by name) and
// spreads along every link, in either direction. Sets each map's region and cell, and returns an
// overlap warning for every pair of maps the links place on one cell or whose links would put one
// map on two cells; such maps get no cell. A link from a map to itself demands no cell: it wraps
// around.
std::vector<Finding> placeOnGrid(std::vector<WorldMap>& maps, std::size_t& regionCount);

} // namespace tovren
