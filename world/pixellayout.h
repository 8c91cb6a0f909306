#pragma once

#include "world/world.h"

#include <cstddef>
#include <vector>

namespace tovren {

// Lays out in pixels every region in which any map has a size, once the maps have their cells
// (placeByDirection): a map without a size there takes the most common size of its region's
// maps. Where A leads right to B, B's left edge lies on A's right edge and their spans down
// overlap by at least a tile (and so on for every link the cells keep the direction of), no two
// maps overlap, and the cells' order is kept. Returns a misaligned warning for each loop of links
// that the maps' sizes do not let close; such a link is left not touching.
//
// How: each axis is a system of difference constraints (DifferenceSystem): a link right is
// x(B) - x(A) = width(A), and its maps' spans down overlap by a tile, two inequalities on y;
// links down likewise. The links alone are solved first, axis by axis: a cycle of constraints
// that sums to more than zero is a loop that cannot close, told once, and one of its links gives
// up touching on that axis (the last that pulls back, from the loop's first map by name); then
// again, until none is left. Then the order: an estimate of y from the links and the cells'
// columns (maps of one column one below the other), then x from the links, the cells' rows and,
// for every two maps whose spans down overlap in that estimate, the order of their columns; then
// y again from the links and, for every two maps whose spans across overlap now, the order of the
// estimate, which the estimate itself meets: so nothing overlaps. Each solution is calm: the
// middle of the least and the greatest values that meet the constraints within the least one's
// extent (a difference system's solutions are convex), so that a map free to slide along its
// neighbour is centred on it.
std::vector<Finding> placeInPixels(std::vector<WorldMap>& maps, std::size_t regionCount);

} // namespace tovren
