#include "worldtool/picture/sizedpicture.h"

#include "world/regionlayout.h"
#include "world/regionpacking.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tovren {

namespace {

bool drawnAtSize(const WorldMap& map) {
    return map.cell && map.position && map.size;
}

} // namespace

double scaleOfSizes(const World& world) {
    double scale = 0;
    double longest = 0;
    for (const WorldMap& map : world.maps) {
        if (drawnAtSize(map) && map.size->width > 0 && map.size->height > 0) {
            const auto width = double(map.size->width);
            const auto height = double(map.size->height);
            scale = std::max({scale, boxWidth / width, boxHeight / height});
            longest = std::max({longest, width, height});
        }
    }
    return scale == 0 ? 0 : std::min(scale, longestBox / longest);
}

Room placeAtSizes(const World& world, double scale, Point origin, std::vector<Rect>& boxes) {
    const std::vector<RegionPlace> cells = placeRegions(world);
    const auto edge = [scale](long long pixels) {
        return std::round(double(pixels) * scale);
    };
    // Each map's box within its region, and each region's least corner.
    constexpr double none = std::numeric_limits<double>::infinity();
    std::vector<Rect> inRegion(world.maps.size());
    std::vector<Point> least(world.regionCount, {none, none});
    for (std::size_t index = 0; index < world.maps.size(); ++index) {
        const WorldMap& map = world.maps[index];
        if (!map.cell) {
            continue;
        }
        Rect& box = inRegion[index];
        if (drawnAtSize(map)) {
            const Position at = *map.position;
            box = {edge(at.x), edge(at.y), edge(at.x + map.size->width) - edge(at.x),
                   edge(at.y + map.size->height) - edge(at.y)};
        } else {
            const RegionPlace& place = cells[map.region - 1];
            box = {double((map.cell->x - place.left) * pitchX),
                   double((map.cell->y - place.top) * pitchY), boxWidth, boxHeight};
        }
        Point& corner = least[map.region - 1];
        corner = {std::min(corner.x, box.x), std::min(corner.y, box.y)};
    }
    std::vector<Extent> extents(world.regionCount);
    for (std::size_t index = 0; index < world.maps.size(); ++index) {
        if (world.maps[index].cell) {
            const Rect& box = inRegion[index];
            const Point& corner = least[world.maps[index].region - 1];
            Extent& extent = extents[world.maps[index].region - 1];
            extent.width = std::max(extent.width, std::llround(box.x - corner.x + box.width));
            extent.height = std::max(extent.height, std::llround(box.y - corner.y + box.height));
        }
    }
    // As far apart as two regions on a picture in cells: an empty cell between them.
    const std::vector<Placed> regions =
        packInRows(extents, 2 * pitchX - boxWidth, 2 * pitchY - boxHeight);
    Room room;
    for (std::size_t index = 0; index < world.maps.size(); ++index) {
        if (world.maps[index].cell) {
            const std::size_t region = world.maps[index].region - 1;
            const Rect& box = inRegion[index];
            boxes[index] = {origin.x + double(regions[region].x) + box.x - least[region].x,
                            origin.y + double(regions[region].y) + box.y - least[region].y,
                            box.width, box.height};
            room.width = std::max(room.width, boxes[index].x + box.width - origin.x);
            room.height = std::max(room.height, boxes[index].y + box.height - origin.y);
        }
    }
    room.width += pitchX - boxWidth;
    room.height += pitchY - boxHeight;
    return room;
}

std::optional<std::vector<Point>> markAcross(const Rect& from, Direction direction,
                                             const Rect& to) {
    const bool across = isAcross(direction);
    const GridStep way = stepOf(direction);
    const double sign = across ? way.x : way.y;
    const double edge = startOf(across, from) + (sign > 0 ? extentOf(across, from) : 0);
    const double facing = startOf(across, to) + (sign > 0 ? 0 : extentOf(across, to));
    const double first = std::max(startOf(!across, from), startOf(!across, to));
    const double last = std::min(startOf(!across, from) + extentOf(!across, from),
                                 startOf(!across, to) + extentOf(!across, to));
    if (std::abs(edge - facing) > 0.5 || last - first < 1) {
        return std::nullopt;
    }
    const double reach =
        std::min({markReach, extentOf(across, from) / 3, extentOf(across, to) / 3});
    const double middle = (first + last) / 2;
    return std::vector<Point>{pointOf(across, edge - sign * reach, middle),
                              pointOf(across, edge + sign * reach, middle)};
}

std::vector<Point> shortElbow(const Rect& from, Point exit, Direction direction, const Rect& to,
                              Point entry) {
    const bool across = isAcross(direction);
    const GridStep way = stepOf(direction);
    const double sign = across ? way.x : way.y;
    const double exitA = along(across, exit);
    const double entryA = along(across, entry);
    const double exitB = beside(across, exit);
    const double entryB = beside(across, entry);
    if (sign * (entryA - exitA) > 0) {
        if (exitB == entryB) {
            return {exit, entry};
        }
        const double middle = (exitA + entryA) / 2;
        return {exit, pointOf(across, middle, exitB), pointOf(across, middle, entryB), entry};
    }
    // Side by side, or behind: across between the two boxes, else before both.
    const double fromStart = startOf(!across, from);
    const double fromEnd = fromStart + extentOf(!across, from);
    const double toStart = startOf(!across, to);
    const double toEnd = toStart + extentOf(!across, to);
    const double crossing = toStart >= fromEnd   ? (fromEnd + toStart) / 2
                            : fromStart >= toEnd ? (toEnd + fromStart) / 2
                                                 : std::min(fromStart, toStart) - elbowReach;
    const double out = exitA + sign * elbowReach;
    const double in = entryA - sign * elbowReach;
    return {exit,
            pointOf(across, out, exitB),
            pointOf(across, out, crossing),
            pointOf(across, in, crossing),
            pointOf(across, in, entryB),
            entry};
}

} // namespace tovren
