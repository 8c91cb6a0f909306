// Where the picture puts the maps and links of a world laid out in pixels: each map at its size,
// all at one scale, linked maps touching with a mark across the edge they share, no two boxes
// on one another, a link that cannot touch a short elbow; and regions in cells on their grid.
#include "support/rectangleworld.h"
#include "world/placement.h"
#include "worldtool/picture/geometry.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>

namespace tovren {
namespace {

std::vector<WorldMap> handMade(const std::vector<std::pair<std::string, LinkRecord>>& records) {
    std::vector<WorldMap> maps;
    for (const auto& [name, links] : records) {
        WorldMap& map = maps.emplace_back();
        map.name = map.linkText = name;
        map.links = links;
    }
    return maps;
}

// The world of these maps, sorted by name, each link leading to the map its text names, laid
// out by the directions of the links.
World laidOut(std::vector<WorldMap> maps) {
    std::sort(maps.begin(), maps.end(),
              [](const WorldMap& a, const WorldMap& b) { return a.name < b.name; });
    for (WorldMap& map : maps) {
        for (const Direction direction : allDirections) {
            const auto to = std::find_if(maps.begin(), maps.end(), [&](const WorldMap& other) {
                return other.linkText == map.text(direction);
            });
            map.neighbours[std::size_t(direction)] =
                to == maps.end() ? std::nullopt : std::optional(std::size_t(to - maps.begin()));
        }
    }
    World world;
    world.folder = "/world";
    world.findings = placeMaps(maps, world.regionCount, LayoutRule::ByDirection);
    world.maps = std::move(maps);
    return world;
}

bool overlap(const Rect& a, const Rect& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
           b.y < a.y + a.height;
}

bool inside(const Rect& box, Point p) {
    return box.x < p.x && p.x < box.x + box.width && box.y < p.y && p.y < box.y + box.height;
}

// Whether `to` lies against the side of `from` that `direction` leaves by, sharing some of it.
bool against(const Rect& from, Direction direction, const Rect& to) {
    const bool across = isAcross(direction);
    const bool forwards = direction == Direction::Right || direction == Direction::Down;
    const Rect& first = forwards ? from : to;
    const Rect& second = forwards ? to : from;
    const double shared = std::min(startOf(!across, from) + extentOf(!across, from),
                                   startOf(!across, to) + extentOf(!across, to)) -
                          std::max(startOf(!across, from), startOf(!across, to));
    return startOf(across, first) + extentOf(across, first) == startOf(across, second) &&
           shared > 0;
}

void expectNoBoxOnAnother(const World& world, const PictureGeometry& picture) {
    for (std::size_t a = 0; a < world.maps.size(); ++a) {
        for (std::size_t b = a + 1; b < world.maps.size(); ++b) {
            EXPECT_FALSE(overlap(picture.box(a), picture.box(b)))
                << world.maps[a].name << ", " << world.maps[b].name;
        }
    }
}

TEST(PictureOfSizes, shouldDrawEachMapAtItsSizeAtOneScaleAndLinkedMapsTouchingWithAMarkAcross) {
    // Screens of 330 by 254 pixels: at the scale that a screen is a cell's box wide, their
    // heights fall between whole units.
    const testing::RectangleWorld rectangles = testing::rectangleWorld(60, 2);
    std::vector<WorldMap> maps = rectangles.maps;
    for (std::size_t map = 0; map < maps.size(); ++map) {
        const testing::Rectangle& rectangle = rectangles.rectangles[map];
        maps[map].tiledSize = MapSize{rectangle.width * 330, rectangle.height * 254, 2, 2};
    }
    // And a region of two maps without Tiled maps, laid out in cells.
    for (const auto& map :
         handMade({{"~cell1", {"", "", "", "~cell2"}}, {"~cell2", {"", "", "~cell1", ""}}})) {
        maps.push_back(map);
    }
    const World world = laidOut(std::move(maps));
    ASSERT_TRUE(world.findings.empty()) << world.findings.front().message;
    const PictureGeometry picture(world);
    const double scale = picture.scale();
    ASSERT_GT(scale, 0);

    bool leastScale = false;
    std::size_t sized = 0;
    std::vector<std::size_t> cells;
    for (std::size_t index = 0; index < world.maps.size(); ++index) {
        const WorldMap& map = world.maps[index];
        const Rect& box = picture.box(index);
        if (!map.position) {
            EXPECT_EQ(box.width, boxWidth) << map.name;
            EXPECT_EQ(box.height, boxHeight) << map.name;
            cells.push_back(index);
            continue;
        }
        // At the scale, in place from the first map of the region; large enough for a name.
        const auto width = double(map.size->width);
        const auto height = double(map.size->height);
        EXPECT_NEAR(box.width, width * scale, 1) << map.name;
        EXPECT_NEAR(box.height, height * scale, 1) << map.name;
        EXPECT_GE(box.width, boxWidth - 1) << map.name;
        EXPECT_GE(box.height, boxHeight - 1) << map.name;
        const Rect& first = picture.box(0);
        EXPECT_NEAR(box.x - first.x, double(map.position->x - world.maps[0].position->x) * scale, 1)
            << map.name;
        EXPECT_NEAR(box.y - first.y, double(map.position->y - world.maps[0].position->y) * scale, 1)
            << map.name;
        leastScale = leastScale || std::abs(width * scale - boxWidth) < 1e-6 ||
                     std::abs(height * scale - boxHeight) < 1e-6;
        ++sized;
    }
    EXPECT_TRUE(leastScale) << "the scale is larger than the smallest map needs";
    ASSERT_EQ(cells.size(), 2U);
    EXPECT_EQ(picture.box(cells[1]).x - picture.box(cells[0]).x, pitchX);
    EXPECT_EQ(picture.box(cells[1]).y, picture.box(cells[0]).y);
    expectNoBoxOnAnother(world, picture);

    // Every link once: in pixels a mark from inside one box to inside the other, whose edges
    // meet; in cells a line between the boxes' facing sides.
    std::set<std::pair<std::size_t, std::size_t>> pairs;
    for (std::size_t index = 0; index < sized; ++index) {
        for (const Direction direction : allDirections) {
            if (const std::optional<std::size_t> to = world.maps[index].neighbour(direction)) {
                pairs.insert({std::min(index, *to), std::max(index, *to)});
            }
        }
    }
    std::size_t marks = 0;
    for (const LinkShape& link : picture.links()) {
        const std::string name =
            world.maps[link.map].name + " " + std::string(directionName(link.direction));
        ASSERT_EQ(link.points.size(), 2U) << name;
        const Rect& from = picture.box(link.map);
        const Rect& to = picture.box(link.target);
        if (!world.maps[link.map].position) {
            EXPECT_EQ(link.kind, LinkShape::Kind::Straight) << name;
            EXPECT_EQ(link.points.back().x - link.points.front().x, pitchX - boxWidth) << name;
            continue;
        }
        ASSERT_EQ(link.kind, LinkShape::Kind::Mark) << name;
        EXPECT_TRUE(against(from, link.direction, to)) << name;
        EXPECT_TRUE(inside(from, link.points.front())) << name;
        EXPECT_TRUE(inside(to, link.points.back())) << name;
        ++marks;
    }
    EXPECT_EQ(marks, pairs.size());
}

TEST(PictureOfSizes, shouldDrawALinkThatCannotTouchAsAShortElbowAndAWorldWithoutSizesInCells) {
    // a, b and c in a row above d and e; b three screens wide: d under a cannot reach e under c.
    const std::vector<WorldMap> maps = handMade({{"a", {"", "d", "", "b"}},
                                                 {"b", {"", "", "a", "c"}},
                                                 {"c", {"", "e", "b", ""}},
                                                 {"d", {"a", "", "", "e"}},
                                                 {"e", {"c", "", "d", ""}}});
    std::vector<WorldMap> sized = maps;
    for (WorldMap& map : sized) {
        map.tiledSize = MapSize{map.name == "b" ? 960 : 320, 240, 16, 16};
    }
    const World world = laidOut(sized);
    ASSERT_EQ(world.findings.size(), 1U);
    const PictureGeometry picture(world);
    expectNoBoxOnAnother(world, picture);
    for (const LinkShape& link : picture.links()) {
        if (link.map != 0 || link.direction != Direction::Down) {
            EXPECT_EQ(link.kind, LinkShape::Kind::Mark) << world.maps[link.map].name;
            continue;
        }
        // From a's lower side, leaving it downwards, to d's upper side, reaching it from above;
        // each stroke level or upright.
        ASSERT_EQ(link.kind, LinkShape::Kind::Elbow);
        ASSERT_GE(link.points.size(), 3U);
        const Point& out = link.points[1];
        const Point& in = link.points[link.points.size() - 2];
        EXPECT_TRUE(out.x == link.points.front().x && out.y > link.points.front().y);
        EXPECT_TRUE(in.x == link.points.back().x && in.y < link.points.back().y);
        const Rect& a = picture.box(0);
        const Rect& d = picture.box(3);
        EXPECT_EQ(link.points.front().y, a.y + a.height);
        EXPECT_TRUE(a.x < link.points.front().x && link.points.front().x < a.x + a.width);
        EXPECT_EQ(link.points.back().y, d.y);
        EXPECT_TRUE(d.x < link.points.back().x && link.points.back().x < d.x + d.width);
        for (std::size_t at = 1; at < link.points.size(); ++at) {
            EXPECT_TRUE(link.points[at].x == link.points[at - 1].x ||
                        link.points[at].y == link.points[at - 1].y);
        }
    }

    // Without sizes: on the grid of cells, every box a cell's, as the picture always drew them.
    const World inCells = laidOut(maps);
    const PictureGeometry grid(inCells);
    EXPECT_EQ(grid.scale(), 0);
    for (std::size_t index = 0; index < inCells.maps.size(); ++index) {
        const Cell cell = *inCells.maps[index].cell;
        const Rect& box = grid.box(index);
        EXPECT_EQ(box.x, double(margin + cell.x * pitchX)) << inCells.maps[index].name;
        EXPECT_EQ(box.y, double(legendHeight + margin + cell.y * pitchY));
        EXPECT_EQ(box.width, boxWidth);
        EXPECT_EQ(box.height, boxHeight);
    }
    for (const LinkShape& link : grid.links()) {
        EXPECT_NE(link.kind, LinkShape::Kind::Mark);
    }
}

} // namespace
} // namespace tovren
