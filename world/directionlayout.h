#pragma once

#include "world/worldtypes.h"

#include <cstddef>
#include <vector>

namespace tovren {

// Lays the maps out by the directions of their links (LayoutRule::ByDirection), region by
// region; the maps must be sorted by name. Sets each map's region and a cell of its own: where A
// leads right to B, B's cell is right of A's, and so on for every link but those cut to open a
// loop, for each of which a wrap warning is returned.
//
// How: maps joined by links right and left are chained into rows, and maps joined by links
// down and up into columns, so that those links are straight. Where chains would make the
// order of rows or columns run in a loop, the loop's chains are parted and joined again as far
// as they can be. Every column then gets its own x and every row its own y in an order that
// every link keeps, which is a valid picture, and the picture is compacted one axis at a time:
// a column moves as far left as its links and the columns beside it allow, where nothing it
// shares a row with stands in its way (and rows likewise up), until nothing moves. Each pass
// keeps every direction, every cell distinct and every straight link clear of other maps; empty
// rows and columns are dropped. The cost is n log n in the number of maps.
std::vector<Finding> placeByDirection(std::vector<WorldMap>& maps, std::size_t& regionCount);

} // namespace tovren
