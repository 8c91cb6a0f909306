#include "world/regionlayout.h"

#include "world/regionpacking.h"

#include <algorithm>

namespace tovren {

std::vector<RegionPlace> placeRegions(const World& world) {
    std::vector<RegionPlace> places(world.regionCount);
    std::vector<bool> seen(world.regionCount, false);
    for (const WorldMap& map : world.maps) {
        if (!map.cell) {
            continue;
        }
        RegionPlace& place = places[map.region - 1];
        if (!seen[map.region - 1]) {
            seen[map.region - 1] = true;
            place.left = map.cell->x;
            place.top = map.cell->y;
            place.width = place.height = 1;
            continue;
        }
        const long long right = std::max(place.left + place.width, map.cell->x + 1);
        const long long bottom = std::max(place.top + place.height, map.cell->y + 1);
        place.left = std::min(place.left, map.cell->x);
        place.top = std::min(place.top, map.cell->y);
        place.width = right - place.left;
        place.height = bottom - place.top;
    }
    std::vector<Extent> extents;
    extents.reserve(places.size());
    for (const RegionPlace& place : places) {
        extents.push_back({place.width, place.height});
    }
    const std::vector<Placed> packed = packInRows(extents, 1, 1);
    for (std::size_t at = 0; at < places.size(); ++at) {
        places[at].column = packed[at].x;
        places[at].row = packed[at].y;
    }
    return places;
}

} // namespace tovren
