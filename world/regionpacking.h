#pragma once

#include <vector>

namespace tovren {

// The width and height of a region of the picture, in cells or in pixels.
struct Extent {
    long long width = 0;
    long long height = 0;
};

// Where each region goes when the regions are packed into rows, in order, left to right and row
// after row, with `gapAcross` between two regions of a row and `gapDown` between two rows: the
// top left of each. The rows are as wide as makes the whole picture closest to a screen's shape,
// 16 wide for 10 high, of the widths tried: from the widest region's to all in one row. An empty
// region (no width) takes no room.
struct Placed {
    long long x = 0;
    long long y = 0;
};
std::vector<Placed> packInRows(const std::vector<Extent>& regions, long long gapAcross,
                               long long gapDown);

} // namespace tovren
