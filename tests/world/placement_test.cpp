// The layout by the directions of links, on worlds like real games have them (rectangles of
// different sizes, tests/support/rectangleworld.h) and on small knots made by hand: what it
// promises of every world, the loops it cuts, and that the folder's listing order is not seen;
// and in pixels, at the sizes of the maps' Tiled maps: linked maps touching, none overlapping,
// and the loops whose sizes cannot close.
#include "linkstore/linkfile.h"
#include "support/rectangleworld.h"
#include "world/placement.h"
#include "world/straightlinks.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <unistd.h>

namespace tovren {
namespace {

// Places a copy of the maps by the directions of their links.
std::vector<WorldMap> placed(std::vector<WorldMap> maps, std::vector<Finding>* findings = nullptr) {
    std::size_t regions = 0;
    std::vector<Finding> told = placeMaps(maps, regions, LayoutRule::ByDirection);
    if (findings != nullptr) {
        *findings = std::move(told);
    }
    return maps;
}

// What the layout promises of every world: each map a cell of its own in its region, each link
// the way it leads (but those `cut`), no map between the ends of a link on one row or column,
// and no row or column without a map.
void expectTheLayoutsPromises(const std::vector<WorldMap>& maps,
                              const std::set<std::pair<std::string, Direction>>& cut = {}) {
    std::set<std::tuple<std::size_t, long long, long long>> cells;
    std::map<std::size_t, std::set<long long>> columns;
    std::map<std::size_t, std::set<long long>> rows;
    for (const WorldMap& map : maps) {
        ASSERT_TRUE(map.cell) << map.name << " has no cell";
        EXPECT_TRUE(cells.insert({map.region, map.cell->x, map.cell->y}).second)
            << map.name << " shares a cell";
        columns[map.region].insert(map.cell->x);
        rows[map.region].insert(map.cell->y);
    }
    for (const auto& [region, used] : columns) {
        EXPECT_EQ(*used.rbegin() + 1, static_cast<long long>(used.size())) << "an empty column";
    }
    for (const auto& [region, used] : rows) {
        EXPECT_EQ(*used.rbegin() + 1, static_cast<long long>(used.size())) << "an empty row";
    }
    for (const WorldMap& map : maps) {
        for (const Direction direction : allDirections) {
            const std::optional<std::size_t> to = map.neighbour(direction);
            if (!to || maps[*to].name == map.name || cut.count({map.name, direction}) > 0) {
                continue;
            }
            const Cell a = *map.cell;
            const Cell b = *maps[*to].cell;
            EXPECT_TRUE(keepsItsDirection(a, direction, b))
                << map.name << " leads " << directionName(direction) << " to " << maps[*to].name;
            const bool across = direction == Direction::Left || direction == Direction::Right;
            if (across ? a.y != b.y : a.x != b.x) {
                continue;
            }
            for (long long step = std::min(across ? a.x : a.y, across ? b.x : b.y) + 1;
                 step < std::max(across ? a.x : a.y, across ? b.x : b.y); ++step) {
                EXPECT_EQ(cells.count({map.region, across ? step : a.x, across ? a.y : step}), 0U)
                    << "a straight link from " << map.name << " runs through another map";
            }
        }
    }
}

TEST(LayoutOfRealWorlds, shouldPlaceEveryMapKeepEveryDirectionAndWarnOfNothing) {
    for (const std::size_t size : {30, 300, 2000}) {
        for (const std::uint32_t seed : {1U, 2U, 3U, 4U}) {
            SCOPED_TRACE("maps " + std::to_string(size) + ", seed " + std::to_string(seed));
            const testing::RectangleWorld world = testing::rectangleWorld(size, seed);
            std::vector<Finding> findings;
            const std::vector<WorldMap> maps = placed(world.maps, &findings);
            EXPECT_TRUE(findings.empty()) << findings.front().message;
            expectTheLayoutsPromises(maps);
            const testing::LayoutQuality quality = testing::layoutQuality(world, maps);
            EXPECT_GE(quality.straightLinks * 100, quality.links * 85);
            EXPECT_GE(quality.pairsInOrder * 100, quality.pairs * 90);
        }
    }
}

TEST(LayoutOfRealWorlds, shouldCutALoopThatLeadsRightBackToItsStartAndNameIt) {
    const testing::RectangleWorld world = testing::rectangleWorld(300, 7, true);
    ASSERT_GE(world.loop.size(), 3U);
    std::vector<Finding> findings;
    const std::vector<WorldMap> maps = placed(world.maps, &findings);
    ASSERT_EQ(findings.size(), 1U);
    const Finding& wrap = findings.front();
    EXPECT_EQ(wrap.kind, FindingKind::Wrap);
    EXPECT_EQ(wrap.severity(), Severity::Warning);
    // Named from the loop's first map by name, through the next of the ring.
    const auto first = std::min_element(world.loop.begin(), world.loop.end());
    const auto next = first + 1 == world.loop.end() ? world.loop.begin() : first + 1;
    EXPECT_TRUE(wrap.message.starts_with("going right from " + *first + " through " + *next))
        << wrap.message;
    EXPECT_TRUE(wrap.message.ends_with("leads back to " + *first + ": the world wraps around here"))
        << wrap.message;
    expectTheLayoutsPromises(
        maps, {{wrap.map, *wrap.direction}, {*wrap.target, opposite(*wrap.direction)}});
}

// Small worlds by hand: names, links, and the neighbours they lead to.
std::vector<WorldMap> handMade(const std::vector<std::pair<std::string, LinkRecord>>& records) {
    std::vector<WorldMap> maps;
    for (const auto& [name, links] : records) {
        WorldMap& map = maps.emplace_back();
        map.name = map.linkText = name;
        map.links = links;
    }
    for (WorldMap& map : maps) {
        for (const Direction direction : allDirections) {
            for (std::size_t at = 0; at < maps.size(); ++at) {
                if (maps[at].name == map.text(direction)) {
                    map.neighbours[static_cast<std::size_t>(direction)] = at;
                }
            }
        }
    }
    return maps;
}

TEST(LayoutOfKnots, shouldTellEachLoopOfTheWorldOnceAsAWrapAndPlaceEveryMap) {
    std::vector<Finding> findings;
    const std::vector<WorldMap> maps =
        placed(handMade({{"a", {"", "", "c", "b"}},
                         {"b", {"", "", "a", "c"}},
                         {"c", {"", "", "b", "a"}},
                         {"d", {"f", "e", "", ""}}, // and a loop going down: d, e, f
                         {"e", {"d", "f", "", ""}},
                         {"f", {"e", "d", "", ""}},
                         {"g", {"g", "g", "", ""}}}), // itself, both ways: fine
               &findings);
    ASSERT_EQ(findings.size(), 2U);
    EXPECT_EQ(findings[0].message,
              "going right from a through b and c leads back to a: the world wraps around here");
    EXPECT_EQ(findings[0].map, "c");
    EXPECT_EQ(findings[0].direction, Direction::Right);
    EXPECT_EQ(findings[0].target, "a");
    EXPECT_EQ(findings[1].message,
              "going down from d through e and f leads back to d: the world wraps around here");
    expectTheLayoutsPromises(maps, {{"c", Direction::Right},
                                    {"a", Direction::Left},
                                    {"f", Direction::Down},
                                    {"d", Direction::Up}});
    // The cut loop runs left to right from its first map.
    EXPECT_EQ(maps[0].cell, (Cell{0, 0}));
    EXPECT_EQ(maps[2].cell, (Cell{2, 0}));
}

TEST(LayoutOfKnots, shouldBendTheLinksThatCannotAllBeStraightAndKeepTheirDirections) {
    // a leads right and down to b: b lies right of a and below it.
    // p, q above s, r in two columns, but s right of r: one column must bend.
    const std::vector<WorldMap> maps = placed(handMade({{"a", {"", "b", "", "b"}},
                                                        {"b", {"a", "", "a", ""}},
                                                        {"p", {"", "s", "", "q"}},
                                                        {"q", {"", "r", "p", ""}},
                                                        {"r", {"q", "", "", "s"}},
                                                        {"s", {"p", "", "r", ""}}}));
    expectTheLayoutsPromises(maps);
    const StraightLinks straight(maps);
    EXPECT_FALSE(straight.isStraight(0, Direction::Down));
    EXPECT_FALSE(straight.isStraight(0, Direction::Right));
    int bent = 0;
    for (std::size_t map = 2; map < maps.size(); ++map) {
        for (const Direction direction : allDirections) {
            bent += maps[map].neighbour(direction) && !straight.isStraight(map, direction) ? 1 : 0;
        }
    }
    EXPECT_EQ(bent, 2) << "one link of four, seen from both ends, is bent";
}

// The names of a folder's entries in the order it lists them.
std::vector<std::string> listed(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

TEST(LayoutOfKnots, shouldCountALinkStraightOnlyTheWayItLeadsAndWithNoMapBetweenItsEnds) {
    // One column: t above m above b. t leads down to b past m, m down to b, b up to t; and
    // t leads up to m, which lies below it.
    std::vector<WorldMap> maps =
        handMade({{"b", {"t", "", "", ""}}, {"m", {"", "b", "", ""}}, {"t", {"m", "b", "", ""}}});
    maps[0].cell = Cell{0, 2};
    maps[1].cell = Cell{0, 1};
    maps[2].cell = Cell{0, 0};
    const StraightLinks straight(maps);
    EXPECT_TRUE(straight.isStraight(1, Direction::Down));
    EXPECT_FALSE(straight.isStraight(2, Direction::Down)) << "m lies between t and b";
    EXPECT_FALSE(straight.isStraight(0, Direction::Up)) << "and between b and t";
    EXPECT_FALSE(straight.isStraight(2, Direction::Up)) << "m is not above t";
}

TEST(LayoutOfRealWorlds, shouldNotDependOnTheOrderInWhichTheFolderListsItsFiles) {
    // In memory, a folder lists its files newest first: written in two orders, two listings.
    const std::string folder = "/dev/shm/tovren-listing-" + std::to_string(::getpid());
    std::filesystem::create_directories(folder + "/forwards");
    std::filesystem::create_directories(folder + "/backwards");
    const testing::RectangleWorld world = testing::rectangleWorld(150, 11);
    testing::writeLinkFiles(world, folder + "/forwards");
    for (auto map = world.maps.rbegin(); map != world.maps.rend(); ++map) {
        saveLinkFile(linkFilePath(folder + "/backwards", map->name), *map->links);
    }
    const World forwards = readWorld(folder + "/forwards");
    const World backwards = readWorld(folder + "/backwards");
    const bool listedAlike = listed(folder + "/forwards") == listed(folder + "/backwards");
    std::filesystem::remove_all(folder);
    ASSERT_FALSE(listedAlike) << "the two folders list their files alike: nothing is tested";
    ASSERT_EQ(forwards.maps.size(), world.maps.size());
    for (std::size_t map = 0; map < forwards.maps.size(); ++map) {
        EXPECT_EQ(forwards.maps[map].cell, backwards.maps[map].cell) << forwards.maps[map].name;
    }
}

// Whether two maps laid out in pixels overlap.
bool overlap(const WorldMap& a, const WorldMap& b) {
    return a.region == b.region && a.position->x < b.position->x + b.size->width &&
           b.position->x < a.position->x + a.size->width &&
           a.position->y < b.position->y + b.size->height &&
           b.position->y < a.position->y + a.size->height;
}

// Whether a map touches the one its link leads to, as the link says: beside it, sharing at
// least a tile of the edge between them.
bool touches(const WorldMap& a, Direction direction, const WorldMap& b) {
    const bool across = direction == Direction::Left || direction == Direction::Right;
    const WorldMap& first = direction == Direction::Right || direction == Direction::Down ? a : b;
    const WorldMap& second = &first == &a ? b : a;
    const long long along = across ? first.position->x + first.size->width - second.position->x
                                   : first.position->y + first.size->height - second.position->y;
    const long long shared =
        across ? std::min(a.position->y + a.size->height, b.position->y + b.size->height) -
                     std::max(a.position->y, b.position->y)
               : std::min(a.position->x + a.size->width, b.position->x + b.size->width) -
                     std::max(a.position->x, b.position->x);
    return along == 0 && shared >= (across ? a.size->tileHeight : a.size->tileWidth);
}

TEST(LayoutInPixels, shouldLetLinkedMapsTouchWithoutOverlapAndKeepTheirOrder) {
    for (const std::size_t size : {30, 300}) {
        for (const std::uint32_t seed : {1U, 2U, 3U, 4U}) {
            SCOPED_TRACE("maps " + std::to_string(size) + ", seed " + std::to_string(seed));
            testing::RectangleWorld world = testing::rectangleWorld(size, seed);
            testing::giveTiledSizes(world);
            std::vector<Finding> findings;
            const std::vector<WorldMap> maps = placed(world.maps, &findings);
            expectTheLayoutsPromises(maps);
            // No loop fails; a map may have been drawn apart, and then its links do not touch.
            std::set<std::string> apart;
            for (const Finding& finding : findings) {
                ASSERT_EQ(finding.kind, FindingKind::Misaligned);
                ASSERT_FALSE(finding.direction) << finding.message;
                apart.insert(finding.map);
            }
            EXPECT_LE(apart.size() * 100, maps.size()) << "more than one map in a hundred apart";
            for (std::size_t a = 0; a < maps.size(); ++a) {
                ASSERT_TRUE(maps[a].position && maps[a].size) << maps[a].name;
                EXPECT_EQ(*maps[a].size, *world.maps[a].tiledSize) << maps[a].name;
                for (const Direction direction : allDirections) {
                    const std::optional<std::size_t> to = maps[a].neighbour(direction);
                    if (to && !apart.count(maps[a].name) && !apart.count(maps[*to].name)) {
                        EXPECT_TRUE(touches(maps[a], direction, maps[*to]))
                            << maps[a].name << " " << directionName(direction);
                    }
                }
                for (std::size_t b = a + 1; b < maps.size(); ++b) {
                    EXPECT_FALSE(overlap(maps[a], maps[b])) << maps[a].name << ", " << maps[b].name;
                }
            }
            const testing::LayoutQuality quality = testing::layoutQuality(world, maps);
            EXPECT_GE(quality.pairsInOrder * 100, quality.pairs * 95);
        }
    }
}

TEST(LayoutInPixels, shouldTellALoopWhoseSizesCannotCloseOnceAndPlaceItsMapsApart) {
    // a, b and c in a row above d and e; a leads down to d, c down to e. With b three screens
    // wide, d (one screen) cannot reach from under a to e under c: 352 pixels short.
    std::vector<WorldMap> maps = handMade({{"a", {"", "d", "", "b"}},
                                           {"b", {"", "", "a", "c"}},
                                           {"c", {"", "e", "b", ""}},
                                           {"d", {"a", "", "", "e"}},
                                           {"e", {"c", "", "d", ""}}});
    for (WorldMap& map : maps) {
        map.tiledSize = MapSize{map.name == "b" ? 960 : 320, 240, 16, 16};
    }
    std::vector<Finding> findings;
    std::vector<WorldMap> laid = placed(maps, &findings);
    ASSERT_EQ(findings.size(), 1U);
    EXPECT_EQ(findings[0].kind, FindingKind::Misaligned);
    EXPECT_EQ(findings[0].message,
              "going right from a through b and c, down to e, left to d and up to a ends 352 px "
              "short of a: these maps' sizes do not let them all touch");
    // Told of the link that gives up touching, as the map that leads it forwards has it.
    EXPECT_EQ(findings[0].map, "a");
    EXPECT_EQ(findings[0].direction, Direction::Down);
    EXPECT_EQ(findings[0].target, "d");
    for (std::size_t a = 0; a < laid.size(); ++a) {
        for (std::size_t b = a + 1; b < laid.size(); ++b) {
            EXPECT_FALSE(overlap(laid[a], laid[b])) << laid[a].name << ", " << laid[b].name;
        }
    }
    // Made to fit again, every link touches.
    maps[1].tiledSize->width = 320;
    laid = placed(maps, &findings);
    EXPECT_TRUE(findings.empty()) << findings.front().message;
    for (std::size_t a = 0; a < laid.size(); ++a) {
        for (const Direction direction : allDirections) {
            if (const std::optional<std::size_t> to = laid[a].neighbour(direction)) {
                EXPECT_TRUE(touches(laid[a], direction, laid[*to])) << laid[a].name;
            }
        }
    }
}

} // namespace
} // namespace tovren
