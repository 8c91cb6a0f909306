#include "worldtool/picture/geometry.h"

#include "world/regionlayout.h"
#include "worldtool/picture/linkrouting.h"
#include "worldtool/picture/sizedpicture.h"
#include "worldtool/picture/svgtext.h"

#include <algorithm>
#include <cmath>

namespace tovren {

namespace {

constexpr long long unplacedPerRow = 8;
constexpr double stubLength = 44;
constexpr double portStep = 10;   // between links that meet one side of a box
constexpr double laneStep = 8;    // between elbows' strokes along one gap
constexpr double laneRoom = 32;   // from a gap's middle to its outermost lane
constexpr double inset = 8;       // between the picture's edge and anything on it
constexpr double stubText = 11;   // the size of a stub's name: picture.css's
constexpr double textWidth = 0.7; // of a character, at most, in its size

// An elbow, as where its strokes run before the lanes are known: out of `exit` to the gap at
// `firstGap`, across at `crossing`, along the gap at `lastGap` and into `entry`; where both gaps
// are one, straight across it. Handles of its strokes along the gaps in Lanes.
struct Elbow {
    std::size_t shape;
    Point exit;
    Point entry;
    double firstGap;
    double crossing;
    double lastGap;
    bool oneGap;
    std::size_t first = 0;
    std::size_t middle = 0;
    std::size_t last = 0;
};

} // namespace

PictureGeometry::PictureGeometry(const World& world) : boxes_(world.maps.size()) {
    placeMaps(world);
    route(world);
    keepInside(world);
}

void PictureGeometry::placeMaps(const World& world) {
    const Point origin{margin, legendHeight + margin};
    scale_ = scaleOfSizes(world);
    Room room;
    if (scale_ > 0) {
        room = placeAtSizes(world, scale_, origin, boxes_);
    } else {
        const std::vector<RegionPlace> regions = placeRegions(world);
        long long columns = 0;
        long long rows = 0;
        for (const RegionPlace& region : regions) {
            columns = std::max(columns, region.column + region.width);
            rows = std::max(rows, region.row + region.height);
        }
        for (std::size_t index = 0; index < world.maps.size(); ++index) {
            if (const std::optional<Cell> inRegion = world.maps[index].cell) {
                const Cell cell = cellInWorld(regions[world.maps[index].region - 1], *inRegion);
                boxes_[index] = {origin.x + double(cell.x * pitchX),
                                 origin.y + double(cell.y * pitchY), boxWidth, boxHeight};
            }
        }
        room = {double(columns * pitchX), double(rows * pitchY)};
    }
    for (std::size_t index = 0; index < world.maps.size(); ++index) {
        if (!world.maps[index].cell) {
            unplaced_.push_back(index);
        }
    }
    const auto unplaced = static_cast<long long>(unplaced_.size());
    unplacedTop_ = origin.y + room.height + (unplaced ? 30 : 0);
    for (long long at = 0; at < unplaced; ++at) {
        boxes_[unplaced_[at]] = {double(margin + (at % unplacedPerRow) * pitchX),
                                 unplacedTop_ + double(at / unplacedPerRow) * pitchY, boxWidth,
                                 boxHeight};
    }
    findingsTop_ = unplacedTop_ + double((unplaced + unplacedPerRow - 1) / unplacedPerRow) * pitchY;
    width_ = 2 * margin + std::max({room.width, double(std::min(unplaced, unplacedPerRow) * pitchX),
                                    4.0 * pitchX});
}

Point PictureGeometry::side(std::size_t map, Direction direction, double port) const {
    const GridStep way = stepOf(direction);
    const Rect& box = boxes_[map];
    const Point middle{box.x + box.width / 2 * (1 + way.x), box.y + box.height / 2 * (1 + way.y)};
    return isAcross(direction) ? Point{middle.x, middle.y + port}
                               : Point{middle.x + port, middle.y};
}

// What each link is drawn as, the ports where they meet the boxes, the elbows' strokes along
// the gaps and their lanes; then every point. Between maps drawn at their sizes, a mark where
// they touch, else a short elbow, in no lane.
void PictureGeometry::route(const World& world) {
    const StraightLinks straight(world.maps);
    Ports ports;
    std::vector<std::pair<std::size_t, std::size_t>> ends; // each shape's ports: out, in
    std::vector<LinkShape> stubs;
    for (std::size_t index = 0; index < world.maps.size(); ++index) {
        const WorldMap& map = world.maps[index];
        for (const Direction direction : allDirections) {
            const std::optional<std::size_t> target = map.neighbour(direction);
            if (map.text(direction).empty() || target == index) {
                continue; // nothing, or a wrap-around of the map onto itself
            }
            LinkShape shape{LinkShape::Kind::Dangling, index, direction,
                            target.value_or(0),        {},    {}};
            if (target) {
                const WorldMap& far = world.maps[*target];
                const bool backAgain = far.neighbour(opposite(direction)) == index;
                if (world.layout == LayoutRule::ByDirection &&
                    !keepsItsDirection(*map.cell, direction, *far.cell)) {
                    shape.kind = LinkShape::Kind::Around;
                } else if (backAgain && *target < index) {
                    continue; // drawn from the other end
                } else if (map.position) {
                    std::optional<std::vector<Point>> mark =
                        markAcross(boxes_[index], direction, boxes_[*target]);
                    shape.kind = mark ? LinkShape::Kind::Mark : LinkShape::Kind::Elbow;
                    shape.points = std::move(mark).value_or(std::vector<Point>{});
                } else {
                    shape.kind = straight.isStraight(index, direction) ? LinkShape::Kind::Straight
                                                                       : LinkShape::Kind::Elbow;
                }
            }
            if (shape.kind == LinkShape::Kind::Mark) {
                links_.push_back(std::move(shape));
                ends.emplace_back(0, 0); // it meets no side at a port
                continue;
            }
            const bool isLine =
                shape.kind == LinkShape::Kind::Straight || shape.kind == LinkShape::Kind::Elbow;
            const Ports::Kind kind = shape.kind == LinkShape::Kind::Straight ? Ports::Kind::Straight
                                     : isLine                                ? Ports::Kind::Elbow
                                                                             : Ports::Kind::Stub;
            // Where each end's other end lies along its side.
            const auto middleOf = [&](std::size_t of) {
                const Rect& box = boxes_[of];
                return isAcross(direction) ? box.y + box.height / 2 : box.x + box.width / 2;
            };
            const std::size_t out = ports.add(index, direction, kind,
                                              isLine ? middleOf(shape.target) : middleOf(index));
            const std::size_t in =
                isLine ? ports.add(shape.target, opposite(direction), kind, middleOf(index)) : out;
            links_.push_back(std::move(shape));
            ends.emplace_back(out, in);
        }
    }
    const std::vector<double> port = ports.offsets(portStep, boxHeight / 2.0 - portStep / 2);

    Lanes lanes;
    std::vector<Elbow> elbows;
    for (std::size_t at = 0; at < links_.size(); ++at) {
        LinkShape& shape = links_[at];
        if (shape.kind == LinkShape::Kind::Mark) {
            continue;
        }
        const Point exit = side(shape.map, shape.direction, port[ends[at].first]);
        const GridStep way = stepOf(shape.direction);
        switch (shape.kind) {
        case LinkShape::Kind::Straight:
            shape.points = {exit,
                            side(shape.target, opposite(shape.direction), port[ends[at].second])};
            break;
        case LinkShape::Kind::Dangling: {
            const Point centre{exit.x + way.x * (12 + LinkShape::danglingWidth / 2),
                               exit.y + way.y * (12 + LinkShape::danglingHeight / 2)};
            shape.points = {exit,
                            {centre.x - way.x * LinkShape::danglingWidth / 2,
                             centre.y - way.y * LinkShape::danglingHeight / 2}};
            shape.label = centre;
            break;
        }
        case LinkShape::Kind::Around: {
            const Point to{exit.x + way.x * stubLength, exit.y + way.y * stubLength};
            shape.points = {exit, to};
            shape.label = {to.x + way.x * 4, to.y + (way.y > 0 ? 14 : (way.y < 0 ? -6 : 4))};
            shape.anchor = way.x > 0 ? "start" : (way.x < 0 ? "end" : "middle");
            break;
        }
        case LinkShape::Kind::Mark:
            break;
        case LinkShape::Kind::Elbow: {
            if (world.maps[shape.map].position) {
                shape.points = shortElbow(
                    boxes_[shape.map], exit, shape.direction, boxes_[shape.target],
                    side(shape.target, opposite(shape.direction), port[ends[at].second]));
                break;
            }
            const bool across = isAcross(shape.direction);
            const double sign = across ? way.x : way.y;
            const double gap = across ? (pitchX - boxWidth) / 2.0 : (pitchY - boxHeight) / 2.0;
            const double crossGap = across ? (pitchY - boxHeight) / 2.0 : (pitchX - boxWidth) / 2.0;
            Elbow elbow{
                at,   exit, side(shape.target, opposite(shape.direction), port[ends[at].second]),
                0,    0,    0,
                false};
            elbow.firstGap = along(across, exit) + sign * gap;
            elbow.lastGap = along(across, elbow.entry) - sign * gap;
            elbow.oneGap = std::abs(elbow.firstGap - elbow.lastGap) < 1;
            // Across the rows (or columns) between, in the gap next to the far box, on its near
            // side.
            const double farStart = startOf(!across, boxes_[shape.target]);
            const double farSize = across ? boxHeight : boxWidth;
            elbow.crossing = beside(across, elbow.entry) < beside(across, exit)
                                 ? farStart + farSize + crossGap
                                 : farStart - crossGap;
            const double fromB = beside(across, exit);
            const double toB = beside(across, elbow.entry);
            if (elbow.oneGap) {
                elbow.first = lanes.add(across, elbow.firstGap, fromB, toB);
            } else {
                elbow.first = lanes.add(across, elbow.firstGap, fromB, elbow.crossing);
                elbow.middle = lanes.add(!across, elbow.crossing, elbow.firstGap, elbow.lastGap);
                elbow.last = lanes.add(across, elbow.lastGap, elbow.crossing, toB);
            }
            elbows.push_back(elbow);
            break;
        }
        }
    }

    // Spans come within a lane's room of each other where the other way's lanes move their ends.
    const std::vector<double> lane = lanes.offsets(laneStep, laneRoom, laneRoom + 1);
    for (const Elbow& elbow : elbows) {
        LinkShape& shape = links_[elbow.shape];
        const bool across = isAcross(shape.direction);
        const double first = elbow.firstGap + lane[elbow.first];
        const double exitB = beside(across, elbow.exit);
        const double entryB = beside(across, elbow.entry);
        if (elbow.oneGap) {
            shape.points = {elbow.exit, pointOf(across, first, exitB),
                            pointOf(across, first, entryB), elbow.entry};
            continue;
        }
        const double crossing = elbow.crossing + lane[elbow.middle];
        const double last = elbow.lastGap + lane[elbow.last];
        shape.points = {elbow.exit,
                        pointOf(across, first, exitB),
                        pointOf(across, first, crossing),
                        pointOf(across, last, crossing),
                        pointOf(across, last, entryB),
                        elbow.entry};
    }
    std::stable_partition(links_.begin(), links_.end(), [](const LinkShape& shape) {
        return shape.kind != LinkShape::Kind::Elbow;
    });
}

// Everything moved right and down as far as a stub or its name reaches out of the picture on the
// left or into the legend above, and the picture made as large as what reaches out right and
// below.
void PictureGeometry::keepInside(const World& world) {
    double left = margin;
    double top = legendHeight + margin;
    double right = width_ - margin;
    double bottom = top;
    const auto reach = [&](double x1, double y1, double x2, double y2) {
        left = std::min(left, x1);
        top = std::min(top, y1);
        right = std::max(right, x2);
        bottom = std::max(bottom, y2);
    };
    for (const Rect& box : boxes_) {
        reach(box.x, box.y, box.x + box.width, box.y + box.height);
    }
    for (const LinkShape& shape : links_) {
        for (const Point& point : shape.points) {
            reach(point.x, point.y, point.x, point.y);
        }
        if (shape.kind == LinkShape::Kind::Dangling) {
            reach(shape.label.x - LinkShape::danglingWidth / 2,
                  shape.label.y - LinkShape::danglingHeight / 2,
                  shape.label.x + LinkShape::danglingWidth / 2,
                  shape.label.y + LinkShape::danglingHeight / 2);
        } else if (shape.kind == LinkShape::Kind::Around) {
            const double width =
                double(characters(shortened(world.maps[shape.target].name, longestStubName))) *
                stubText * textWidth;
            const double start = std::string_view(shape.anchor) == "start" ? shape.label.x
                                 : std::string_view(shape.anchor) == "middle"
                                     ? shape.label.x - width / 2
                                     : shape.label.x - width;
            reach(start, shape.label.y - stubText, start + width, shape.label.y + stubText / 3);
        }
    }
    const double dx = std::ceil(std::max(0.0, inset - left));
    const double dy = std::ceil(std::max(0.0, legendHeight + inset - top));
    for (Rect& box : boxes_) {
        box.x += dx;
        box.y += dy;
    }
    for (LinkShape& shape : links_) {
        for (Point& point : shape.points) {
            point = {point.x + dx, point.y + dy};
        }
        shape.label = {shape.label.x + dx, shape.label.y + dy};
    }
    unplacedTop_ += dy;
    findingsTop_ = std::max(findingsTop_ + dy, bottom + dy + inset);
    width_ = std::max(width_ + dx, right + dx + inset);
    height_ = findingsTop_ + double(world.findings.size() + 2) * lineHeight + margin;
}

} // namespace tovren
