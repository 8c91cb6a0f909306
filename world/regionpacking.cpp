#include "world/regionpacking.h"

#include <algorithm>
#include <cmath>

namespace tovren {

namespace {

// Regions in rows no wider than `width` (but for a region wider on its own): the places, and
// the picture's width and height.
struct Packing {
    std::vector<Placed> places;
    long long width = 0;
    long long height = 0;
};

Packing packed(const std::vector<Extent>& regions, long long gapAcross, long long gapDown,
               long long width) {
    Packing packing;
    packing.places.resize(regions.size());
    long long x = 0;
    long long top = 0;
    long long rowHeight = 0;
    for (std::size_t at = 0; at < regions.size(); ++at) {
        const Extent& region = regions[at];
        if (region.width == 0) {
            continue;
        }
        if (x > 0 && x + region.width > width) {
            top += rowHeight + gapDown;
            x = 0;
            rowHeight = 0;
        }
        packing.places[at] = {x, top};
        x += region.width + gapAcross;
        rowHeight = std::max(rowHeight, region.height);
        packing.width = std::max(packing.width, x - gapAcross);
        packing.height = top + rowHeight;
    }
    return packing;
}

} // namespace

std::vector<Placed> packInRows(const std::vector<Extent>& regions, long long gapAcross,
                               long long gapDown) {
    long long widest = 0;
    long long inOneRow = 0;
    for (const Extent& region : regions) {
        widest = std::max(widest, region.width);
        inOneRow += region.width == 0 ? 0 : region.width + gapAcross;
    }
    // Every width at which a row breaks differently is the end of some run of regions: trying
    // widths from the widest region's up by a few percent at a time finds the best closely.
    const auto offShape = [](const Packing& packing) {
        return packing.height == 0
                   ? 0.0
                   : std::abs(std::log(double(packing.width) / double(packing.height) / 1.6));
    };
    Packing best = packed(regions, gapAcross, gapDown, widest);
    for (double width = double(widest); width < double(inOneRow) * 1.05; width *= 1.05) {
        Packing tried = packed(regions, gapAcross, gapDown, std::llround(width));
        if (offShape(tried) < offShape(best)) {
            best = std::move(tried);
        }
    }
    return best.places;
}

} // namespace tovren
