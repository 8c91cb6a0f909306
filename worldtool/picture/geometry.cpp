#include "worldtool/picture/geometry.h"

#include "world/regionlayout.h"

#include <algorithm>
#include <cmath>

namespace tovren {

namespace {

constexpr long long unplacedPerRow = 8;
constexpr double stubLength = 44;
constexpr double laneSpacing = 4; // between elbows that share a gap between boxes

bool isAcross(Direction direction) {
    return direction == Direction::Left || direction == Direction::Right;
}

} // namespace

PictureGeometry::PictureGeometry(const World& world)
    : straight_(world.maps), corners_(world.maps.size()) {
    const std::vector<RegionPlace> regions = placeRegions(world);
    long long columns = 0;
    long long rows = 0;
    for (const RegionPlace& region : regions) {
        columns = std::max(columns, region.column + region.width);
        rows = std::max(rows, region.height);
    }
    for (std::size_t index = 0; index < world.maps.size(); ++index) {
        const WorldMap& map = world.maps[index];
        if (map.cell) {
            const Cell cell = cellInWorld(regions[map.region - 1], *map.cell);
            corners_[index] = {double(margin + cell.x * pitchX),
                               double(legendHeight + margin + cell.y * pitchY)};
        } else {
            unplaced_.push_back(index);
        }
    }
    const auto unplaced = static_cast<long long>(unplaced_.size());
    unplacedTop_ = legendHeight + margin + rows * pitchY + (unplaced ? 30 : 0);
    for (long long at = 0; at < unplaced; ++at) {
        corners_[unplaced_[at]] = {double(margin + (at % unplacedPerRow) * pitchX),
                                   unplacedTop_ + double(at / unplacedPerRow) * pitchY};
    }
    findingsTop_ = unplacedTop_ + double((unplaced + unplacedPerRow - 1) / unplacedPerRow) * pitchY;
    width_ = double(2 * margin +
                    std::max<long long>(std::max(columns, std::min(unplaced, unplacedPerRow)), 4) *
                        pitchX);
    height_ = findingsTop_ + double(world.findings.size() + 2) * lineHeight + margin;
}

Point PictureGeometry::side(std::size_t map, Direction direction) const {
    const GridStep way = stepOf(direction);
    return {corners_[map].x + boxWidth / 2.0 * (1 + way.x),
            corners_[map].y + boxHeight / 2.0 * (1 + way.y)};
}

std::vector<Point> PictureGeometry::linkPoints(std::size_t from, Direction direction,
                                               std::size_t to) const {
    if (straight_.isStraight(from, direction)) {
        return {side(from, direction), side(to, opposite(direction))};
    }
    return elbow(from, direction, to);
}

// Out of one box's side into the gap beside it, along gaps between the boxes, and into the other
// box's facing side. Elbows that share a gap are set a few pixels apart.
std::vector<Point> PictureGeometry::elbow(std::size_t from, Direction direction,
                                          std::size_t to) const {
    const bool across = isAcross(direction);
    const GridStep way = stepOf(direction);
    const double sign = across ? way.x : way.y;
    const double gap = across ? (pitchX - boxWidth) / 2.0 : (pitchY - boxHeight) / 2.0;
    const double crossGap = across ? (pitchY - boxHeight) / 2.0 : (pitchX - boxWidth) / 2.0;
    const double lane =
        double(static_cast<long long>((from * 4 + std::size_t(direction)) % 5) - 2) * laneSpacing;
    // Along the link's axis (a) and across it (b).
    const auto a = [&](Point p) {
        return across ? p.x : p.y;
    };
    const auto b = [&](Point p) {
        return across ? p.y : p.x;
    };
    const auto point = [&](double along, double beside) {
        return across ? Point{along, beside} : Point{beside, along};
    };
    const Point exit = side(from, direction);
    const Point entry = side(to, opposite(direction));
    const double firstGap = a(exit) + sign * gap + lane;
    const double lastGap = a(entry) - sign * gap + lane;
    if (std::abs(firstGap - lastGap) < 2 * laneSpacing + 1) {
        const double middle = (firstGap + lastGap) / 2;
        return {exit, point(middle, b(exit)), point(middle, b(entry)), entry};
    }
    // Across the rows (or columns) between, in the gap next to the far box, on its near side.
    const double farStart = b(corners_[to]);
    const double farSize = across ? boxHeight : boxWidth;
    const double crossing =
        (b(entry) < b(exit) ? farStart + farSize + crossGap : farStart - crossGap) + lane;
    return {exit,
            point(firstGap, b(exit)),
            point(firstGap, crossing),
            point(lastGap, crossing),
            point(lastGap, b(entry)),
            entry};
}

DanglingStub PictureGeometry::dangling(std::size_t map, Direction direction) const {
    const GridStep way = stepOf(direction);
    const Point from = side(map, direction);
    const Point centre{from.x + way.x * (12 + DanglingStub::width / 2),
                       from.y + way.y * (12 + DanglingStub::height / 2)};
    return {
        from,
        {centre.x - way.x * DanglingStub::width / 2, centre.y - way.y * DanglingStub::height / 2},
        centre};
}

AroundStub PictureGeometry::around(std::size_t map, Direction direction) const {
    const GridStep way = stepOf(direction);
    const Point from = side(map, direction);
    const Point to{from.x + way.x * stubLength, from.y + way.y * stubLength};
    return {from,
            to,
            {to.x + way.x * 4, to.y + (way.y > 0 ? 14 : (way.y < 0 ? -6 : 4))},
            way.x > 0 ? "start" : (way.x < 0 ? "end" : "middle")};
}

} // namespace tovren
