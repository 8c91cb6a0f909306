#include "world/directionlayout.h"

#include "world/axisorder.h"
#include "world/chains.h"
#include "world/compaction.h"

#include <algorithm>
#include <numeric>

namespace tovren {

namespace {

// Maps joined by links, directly or not, share a region; regions are counted in the order of
// their first maps by name.
std::size_t assignRegions(std::vector<WorldMap>& maps) {
    std::vector<Index> root(maps.size());
    std::iota(root.begin(), root.end(), Index{0});
    const auto find = [&](Index map) {
        while (root[map] != map) {
            root[map] = root[root[map]];
            map = root[map];
        }
        return map;
    };
    for (Index map = 0; map < maps.size(); ++map) {
        for (const Direction direction : allDirections) {
            if (const std::optional<std::size_t> other = maps[map].neighbour(direction)) {
                const Index a = find(map);
                const Index b = find(static_cast<Index>(*other));
                root[std::max(a, b)] = std::min(a, b); // the root is the region's first map
            }
        }
    }
    std::vector<std::size_t> regionOfRoot(maps.size(), 0);
    std::size_t regions = 0;
    for (Index map = 0; map < maps.size(); ++map) {
        const Index first = find(map);
        if (first == map) {
            regionOfRoot[map] = ++regions;
        }
        maps[map].region = regionOfRoot[first];
    }
    return regions;
}

} // namespace

std::vector<Finding> placeByDirection(std::vector<WorldMap>& maps, std::size_t& regionCount) {
    regionCount = assignRegions(maps);
    std::vector<Finding> wraps;
    const AxisOrder across = orderAlong(maps, Axis::Across, wraps);
    const AxisOrder down = orderAlong(maps, Axis::Down, wraps);

    // Columns share an x and are ordered by the links across; rows share a y and are ordered by
    // the links down.
    Chains columns = chainsOf(down, maps.size());
    Chains rows = chainsOf(across, maps.size());
    keepGroupsInOrder(columns, down, across);
    keepGroupsInOrder(rows, across, down);
    std::vector<std::size_t> regions(maps.size());
    std::transform(maps.begin(), maps.end(), regions.begin(),
                   [](const WorldMap& map) { return map.region; });
    AxisLayout x(groupsOf(columns), across, regions);
    AxisLayout y(groupsOf(rows), down, regions);

    constexpr int mostRounds = 8; // each round that moves anything makes the picture smaller
    for (int round = 0; round < mostRounds; ++round) {
        const bool movedAcross = x.compactBeside(y);
        const bool movedDown = y.compactBeside(x);
        if (!movedAcross && !movedDown) {
            break;
        }
    }
    for (Index map = 0; map < maps.size(); ++map) {
        maps[map].cell = Cell{x.placeOf(map), y.placeOf(map)};
    }
    return wraps;
}

} // namespace tovren
