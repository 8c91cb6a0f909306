#include "world/regionlayout.h"

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
    long long column = 0;
    for (RegionPlace& place : places) {
        place.column = column;
        column += place.width == 0 ? 0 : place.width + 1;
    }
    return places;
}

} // namespace tovren
