#include "world/pixelboxes.h"

#include "world/straightlinks.h"

#include <algorithm>
#include <limits>
#include <tuple>

namespace tovren {

namespace {

constexpr std::uint32_t none = std::numeric_limits<std::uint32_t>::max();

auto sizeKey(const MapSize& size) {
    return std::tuple(size.width, size.height, size.tileWidth, size.tileHeight);
}

// The most common size of each region's maps that have one: where two are as common, the
// smaller. None for a region in which no map has a size.
std::vector<std::optional<MapSize>> commonSizes(const std::vector<WorldMap>& maps,
                                                std::size_t regionCount) {
    std::vector<std::pair<std::size_t, MapSize>> sized;
    for (const WorldMap& map : maps) {
        if (map.tiledSize) {
            sized.emplace_back(map.region, *map.tiledSize);
        }
    }
    std::sort(sized.begin(), sized.end(), [](const auto& a, const auto& b) {
        return std::tuple(a.first, sizeKey(a.second)) < std::tuple(b.first, sizeKey(b.second));
    });
    std::vector<std::optional<MapSize>> common(regionCount + 1);
    std::vector<std::size_t> mostSeen(regionCount + 1, 0);
    for (std::size_t at = 0; at < sized.size();) {
        std::size_t end = at;
        while (end < sized.size() && sized[end] == sized[at]) {
            ++end;
        }
        const std::size_t region = sized[at].first;
        if (end - at > mostSeen[region]) {
            mostSeen[region] = end - at;
            common[region] = sized[at].second;
        }
        at = end;
    }
    return common;
}

} // namespace

long long PixelLink::overlap(const std::vector<PixelBox>& boxes, int across) const {
    const PixelBox& a = boxes[before];
    const PixelBox& b = boxes[after];
    return std::min({std::max(a.tile[across], b.tile[across]), a.size[across], b.size[across]});
}

PixelWorld pixelWorldOf(std::vector<WorldMap>& maps, std::size_t regionCount) {
    const std::vector<std::optional<MapSize>> common = commonSizes(maps, regionCount);
    PixelWorld world;
    std::vector<std::uint32_t> boxOf(maps.size(), none);
    for (std::uint32_t index = 0; index < maps.size(); ++index) {
        WorldMap& map = maps[index];
        if (!map.cell || !common[map.region]) {
            continue;
        }
        map.size = map.tiledSize ? *map.tiledSize : *common[map.region];
        boxOf[index] = static_cast<std::uint32_t>(world.boxes.size());
        world.boxes.push_back({index,
                               map.region,
                               {map.size->width, map.size->height},
                               {map.size->tileWidth, map.size->tileHeight},
                               {map.cell->x, map.cell->y}});
    }
    // Each link the cells keep the direction of, as (before, after, axis) with whether each end
    // leads it; a pair led both ways is one link.
    struct Led {
        std::uint32_t before;
        std::uint32_t after;
        int axis;
        bool byBefore;
    };
    std::vector<Led> led;
    for (const PixelBox& box : world.boxes) {
        const WorldMap& map = maps[box.map];
        for (const Direction direction : allDirections) {
            const std::optional<std::size_t> to = map.neighbour(direction);
            if (!to || *to == box.map || boxOf[*to] == none ||
                !keepsItsDirection(*map.cell, direction, *maps[*to].cell)) {
                continue;
            }
            const int axis = direction == Direction::Left || direction == Direction::Right ? 0 : 1;
            const bool forwards = direction == wayAlong(axis, true);
            const std::uint32_t here = boxOf[box.map];
            led.push_back(
                {forwards ? here : boxOf[*to], forwards ? boxOf[*to] : here, axis, forwards});
        }
    }
    std::sort(led.begin(), led.end(), [](const Led& a, const Led& b) {
        return std::tuple(a.before, a.after, a.axis, !a.byBefore) <
               std::tuple(b.before, b.after, b.axis, !b.byBefore);
    });
    for (std::size_t at = 0; at < led.size(); ++at) {
        const Led& one = led[at];
        if (at > 0 && led[at - 1].before == one.before && led[at - 1].after == one.after &&
            led[at - 1].axis == one.axis) {
            continue; // led by its map after, where the one before leads it too: told as before's
        }
        PixelLink link;
        link.before = one.before;
        link.after = one.after;
        link.axis = one.axis;
        link.owner = world.boxes[one.byBefore ? one.before : one.after].map;
        link.direction = wayAlong(one.axis, one.byBefore);
        world.links.push_back(link);
    }
    return world;
}

} // namespace tovren
