#pragma once

#include "world/world.h"

#include <cstddef>
#include <vector>

namespace tovren {

// Lays out in pixels every region in which any map has a size, once the maps have their cells
// (placeByDirection): a map without a size there takes the most common size of its region's
// maps. Where A leads right to B, B's left edge lies on A's right edge and their spans down
// overlap by at least a tile (and so on for every link whose direction the cells keep), and no
// two maps overlap. Returns a misaligned warning for each loop of links that the maps' sizes do
// not let close, and for each map that could not lie where its links put it without
// overlapping another.
//
// How: each axis is a system of difference constraints: a link right is x(B) - x(A) =
// width(A) (two inequalities: its direction, and that it pulls back), and on y its maps' spans
// overlap by a tile (two more); links down likewise. Such a system is met by the longest paths
// through its constraints as edges (DifferenceSystem), and cannot be where a cycle of them sums
// to more than zero: that is a loop that cannot close, as the cycle names exactly its maps.
// 1. The links alone, axis by axis: each such cycle is told once, from its first map by name,
//    and its last link that pulls back gives up touching on that axis; then the next.
// 2. A first picture: the least values that meet the links and overlap linked maps by a unit of
//    the region's sizes where they can (a world of screens stays on its grid of screens), and
//    the greatest, its other extreme.
// 3. Across: the links hold, every two maps whose spans down overlap in the first picture keep
//    their order across (a sweep down the picture finds, for each map, the nearest before it
//    on each part of its span), and two maps that overlap there too are kept apart where the
//    links allow (GrowingSystem): as the other extreme has them, else by their middles.
// 4. Down, likewise, by the spans across found in 3, and every two maps that overlap across
//    keep the first picture's order down, which keeps them apart.
// 5. Maps that still overlap (where the first picture put them side by side in an order the
//    links did not allow) are kept apart from the start the next round; after three rounds,
//    what still overlaps is drawn apart below its region.
// Each axis's values are the middle of the least and the greatest that meet its constraints:
// where a map may slide along its neighbour, it is centred.
std::vector<Finding> placeInPixels(std::vector<WorldMap>& maps, std::size_t regionCount);

} // namespace tovren
