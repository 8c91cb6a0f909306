#pragma once

#include "world/worldtypes.h"

#include <vector>

namespace tovren {

// Where the regions of a world go side by side, left to right in order, with one empty column
// between two: each region's cells moved so that its left column is `column` and its top row 0.
struct RegionPlace {
    long long column = 0; // of the region's left edge, in cells
    long long left = 0;   // the region's smallest x
    long long top = 0;    // the region's smallest y
    long long width = 0;  // in cells
    long long height = 0;
};

// One place per region (index region - 1); a region with no map on a cell takes no columns.
std::vector<RegionPlace> placeRegions(const World& world);

// The cell of a map on the whole picture: its region's place plus its cell in the region.
inline Cell cellInWorld(const RegionPlace& place, Cell cell) {
    return {place.column + cell.x - place.left, cell.y - place.top};
}

} // namespace tovren
