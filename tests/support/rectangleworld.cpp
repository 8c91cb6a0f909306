#include "support/rectangleworld.h"

#include "linkstore/linkfile.h"
#include "world/straightlinks.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <numeric>
#include <random>

namespace tovren::testing {

namespace {

struct Size {
    long long width;
    long long height;
    int weight;
};

// Mostly single screens and routes, some towns and squares.
constexpr Size sizes[] = {{1, 1, 6}, {2, 1, 3}, {1, 2, 3}, {2, 2, 2}, {3, 2, 2}, {2, 3, 2},
                          {1, 3, 1}, {3, 1, 1}, {1, 4, 1}, {4, 1, 1}, {3, 3, 1}};

constexpr std::size_t none = static_cast<std::size_t>(-1);

// Cuts a width by height rectangle into rectangles, left to right and top to bottom: at each
// cell not yet taken, a size chosen at random among those that fit.
class Cutter {
public:
    Cutter(long long width, long long height, std::mt19937& random)
        : width_(width), height_(height), taken_(static_cast<std::size_t>(width * height), none) {
        for (long long y = 0; y < height; ++y) {
            for (long long x = 0; x < width; ++x) {
                if (at(x, y) == none) {
                    place(x, y, random);
                }
            }
        }
    }

    std::vector<Rectangle> rectangles;

    std::size_t at(long long x, long long y) const {
        return x < 0 || y < 0 || x >= width_ || y >= height_
                   ? none
                   : taken_[static_cast<std::size_t>(y * width_ + x)];
    }

private:
    long long width_;
    long long height_;
    std::vector<std::size_t> taken_;

    bool fits(long long x, long long y, const Size& size) const {
        if (x + size.width > width_ || y + size.height > height_) {
            return false;
        }
        for (long long dy = 0; dy < size.height; ++dy) {
            for (long long dx = 0; dx < size.width; ++dx) {
                if (at(x + dx, y + dy) != none) {
                    return false;
                }
            }
        }
        return true;
    }

    void place(long long x, long long y, std::mt19937& random) {
        std::vector<const Size*> fitting;
        std::vector<int> weights;
        for (const Size& size : sizes) {
            if (fits(x, y, size)) {
                fitting.push_back(&size);
                weights.push_back(size.weight);
            }
        }
        std::discrete_distribution<std::size_t> choose(weights.begin(), weights.end());
        const Size& size = *fitting[choose(random)];
        for (long long dy = 0; dy < size.height; ++dy) {
            for (long long dx = 0; dx < size.width; ++dx) {
                taken_[static_cast<std::size_t>((y + dy) * width_ + x + dx)] = rectangles.size();
            }
        }
        rectangles.push_back({x, y, size.width, size.height});
    }
};

// Links each rectangle to one neighbour on each side, both ways: of those along its right edge
// (and its bottom edge), the one it shares the most edge with whose way back is still free.
std::vector<std::array<std::size_t, 4>> linkNeighbours(const Cutter& cut) {
    const std::vector<Rectangle>& rectangles = cut.rectangles;
    std::vector<std::array<std::size_t, 4>> links(rectangles.size(), {none, none, none, none});
    constexpr std::size_t up = 0, down = 1, left = 2, right = 3;
    for (std::size_t a = 0; a < rectangles.size(); ++a) {
        const Rectangle& r = rectangles[a];
        for (const bool across : {true, false}) {
            std::vector<std::pair<long long, std::size_t>> shared; // (-length, neighbour)
            const long long span = across ? r.height : r.width;
            for (long long along = 0; along < span; ++along) {
                const std::size_t b = across ? cut.at(r.left + r.width, r.top + along)
                                             : cut.at(r.left + along, r.top + r.height);
                if (b == none) {
                    continue;
                }
                if (!shared.empty() && shared.back().second == b) {
                    --shared.back().first;
                } else {
                    shared.emplace_back(-1, b);
                }
            }
            std::stable_sort(shared.begin(), shared.end(),
                             [](const auto& x, const auto& y) { return x.first < y.first; });
            const std::size_t ahead = across ? right : down;
            const std::size_t back = across ? left : up;
            for (const auto& [length, b] : shared) {
                if (links[b][back] == none) {
                    links[a][ahead] = b;
                    links[b][back] = a;
                    break;
                }
            }
        }
    }
    return links;
}

} // namespace

RectangleWorld rectangleWorld(std::size_t mapCount, std::uint32_t seed, bool loop) {
    std::mt19937 random(seed);
    double area = 0;
    double weights = 0;
    for (const Size& size : sizes) {
        area += double(size.width * size.height * size.weight);
        weights += size.weight;
    }
    // Small rectangles fill the gaps that large ones leave, so the first guess of the area gives
    // too many maps; a second guess from the first's count comes close.
    double total = double(mapCount) * area / weights;
    long long width = 1;
    long long height = 1;
    std::size_t made = 0;
    for (int guess = 0; guess < 2; ++guess) {
        total *= guess == 0 ? 1.0 : double(mapCount) / double(std::max<std::size_t>(made, 1));
        width = std::max(1LL, std::llround(std::sqrt(total * 4 / 3)));
        height = std::max(1LL, std::llround(total / double(width)));
        std::mt19937 trial(seed);
        made = Cutter(width, height, trial).rectangles.size();
    }
    const Cutter cut(width, height, random);
    std::vector<std::array<std::size_t, 4>> links = linkNeighbours(cut);
    const std::size_t count = cut.rectangles.size();

    std::vector<std::size_t> ring;
    if (loop) {
        // Along the row of links right from the middle of the left edge, closed into a ring.
        for (std::size_t at = cut.at(0, height / 2); at != none; at = links[at][3]) {
            ring.push_back(at);
        }
        if (ring.size() >= 3) {
            links[ring.back()][3] = ring.front();
            links[ring.front()][2] = ring.back();
        } else {
            ring.clear();
        }
    }

    std::vector<std::size_t> number(count);
    std::iota(number.begin(), number.end(), std::size_t{0});
    std::shuffle(number.begin(), number.end(), random);
    const std::size_t digits = std::to_string(count).size();
    std::vector<std::string> names(count);
    for (std::size_t at = 0; at < count; ++at) {
        const std::string text = std::to_string(number[at]);
        names[at] = "map" + std::string(digits - text.size(), '0') + text;
    }
    std::vector<std::size_t> byName(count);
    std::iota(byName.begin(), byName.end(), std::size_t{0});
    std::sort(byName.begin(), byName.end(),
              [&](std::size_t a, std::size_t b) { return names[a] < names[b]; });
    std::vector<std::size_t> indexOf(count);
    for (std::size_t at = 0; at < count; ++at) {
        indexOf[byName[at]] = at;
    }

    RectangleWorld world;
    for (const std::size_t original : byName) {
        WorldMap& map = world.maps.emplace_back();
        map.name = map.linkText = names[original];
        LinkRecord record;
        for (const Direction direction : allDirections) {
            const std::size_t to = links[original][static_cast<std::size_t>(direction)];
            if (to != none) {
                textOf(record, direction) = names[to];
                map.neighbours[static_cast<std::size_t>(direction)] = indexOf[to];
            }
        }
        map.links = record;
        world.rectangles.push_back(cut.rectangles[original]);
    }
    for (const std::size_t at : ring) {
        world.loop.push_back(names[at]);
    }
    return world;
}

void writeLinkFiles(const RectangleWorld& world, const std::string& folder) {
    for (const WorldMap& map : world.maps) {
        saveLinkFile(linkFilePath(folder, map.name), *map.links);
    }
}

void giveTiledSizes(RectangleWorld& world) {
    for (std::size_t map = 0; map < world.maps.size(); ++map) {
        const Rectangle& rectangle = world.rectangles[map];
        world.maps[map].tiledSize =
            MapSize{rectangle.width * screen.width, rectangle.height * screen.height,
                    screen.tileWidth, screen.tileHeight};
    }
}

void writeTiledMaps(const RectangleWorld& world, const std::string& folder, std::size_t jsonEvery,
                    const std::string& tileset) {
    const int tile = static_cast<int>(screen.tileWidth);
    for (std::size_t map = 0; map < world.maps.size(); ++map) {
        const Rectangle& rectangle = world.rectangles[map];
        const long long width = rectangle.width * screen.width / tile;
        const long long height = rectangle.height * screen.height / tile;
        const std::string gid = tileset.empty() ? "0" : "1";
        std::string tiles;
        for (long long at = 0; at < width * height; ++at) {
            tiles += (at == 0 ? "" : ",") + gid;
        }
        const bool json = jsonEvery != 0 && map % jsonEvery == jsonEvery - 1;
        std::ofstream out(folder + "/" + world.maps[map].name + (json ? ".tmj" : ".tmx"),
                          std::ios::binary);
        const std::string w = std::to_string(width);
        const std::string h = std::to_string(height);
        const std::string t = std::to_string(tile);
        if (json) {
            out << "{\"compressionlevel\":-1,\"height\":" << h << ",\"infinite\":false,"
                << "\"layers\":[{\"data\":[" << tiles << "],\"height\":" << h
                << ",\"id\":1,\"name\":\"ground\",\"opacity\":1,\"type\":\"tilelayer\","
                << "\"visible\":true,\"width\":" << w << ",\"x\":0,\"y\":0}],"
                << "\"nextlayerid\":2,\"nextobjectid\":1,\"orientation\":\"orthogonal\","
                << "\"renderorder\":\"right-down\",\"tiledversion\":\"1.8.2\","
                << "\"tileheight\":" << t << ",\"tilesets\":["
                << (tileset.empty() ? ""
                                    : "{\"firstgid\":1,\"columns\":1,\"image\":\"" + tileset +
                                          "\",\"imageheight\":" + t + ",\"imagewidth\":" + t +
                                          ",\"margin\":0,\"name\":\"ground\",\"spacing\":0,"
                                          "\"tilecount\":1,\"tileheight\":" +
                                          t + ",\"tilewidth\":" + t + "}")
                << "],\"tilewidth\":" << t
                << ",\"type\":\"map\",\"version\":\"1.8\",\"width\":" << w << "}\n";
            continue;
        }
        out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            << "<map version=\"1.8\" tiledversion=\"1.8.2\" orientation=\"orthogonal\" "
            << "renderorder=\"right-down\" width=\"" << w << "\" height=\"" << h
            << "\" tilewidth=\"" << t << "\" tileheight=\"" << t
            << "\" infinite=\"0\" nextlayerid=\"2\" nextobjectid=\"1\">\n";
        if (!tileset.empty()) {
            out << " <tileset firstgid=\"1\" name=\"ground\" tilewidth=\"" << t
                << "\" tileheight=\"" << t << "\" tilecount=\"1\" columns=\"1\">\n"
                << "  <image source=\"" << tileset << "\" width=\"" << t << "\" height=\"" << t
                << "\"/>\n </tileset>\n";
        }
        out << " <layer id=\"1\" name=\"ground\" width=\"" << w << "\" height=\"" << h
            << "\">\n  <data encoding=\"csv\">\n"
            << tiles << "\n</data>\n </layer>\n</map>\n";
    }
}

LayoutQuality layoutQuality(const RectangleWorld& world, const std::vector<WorldMap>& placed) {
    LayoutQuality quality;
    const StraightLinks straight(placed);
    for (std::size_t map = 0; map < placed.size(); ++map) {
        for (const Direction direction : {Direction::Right, Direction::Down}) {
            if (placed[map].neighbour(direction)) {
                ++quality.links;
                quality.straightLinks += straight.isStraight(map, direction) ? 1 : 0;
            }
        }
    }
    // -1, 0 or 1: before, overlapping, after.
    const auto order = [](long long startA, long long endA, long long startB, long long endB) {
        return endA <= startB ? -1 : (endB <= startA ? 1 : 0);
    };
    const auto sign = [](long long difference) {
        return (difference > 0) - (difference < 0);
    };
    for (std::size_t a = 0; a < placed.size(); ++a) {
        const Rectangle& ra = world.rectangles[a];
        // In pixels where the maps have places there, else in cells.
        const Cell ca = placed[a].position ? Cell{placed[a].position->x, placed[a].position->y}
                                           : placed[a].cell.value_or(Cell{});
        for (std::size_t b = a + 1; b < placed.size(); ++b) {
            const Rectangle& rb = world.rectangles[b];
            const Cell cb = placed[b].position ? Cell{placed[b].position->x, placed[b].position->y}
                                               : placed[b].cell.value_or(Cell{});
            const int across = order(ra.left, ra.left + ra.width, rb.left, rb.left + rb.width);
            const int down = order(ra.top, ra.top + ra.height, rb.top, rb.top + rb.height);
            ++quality.pairs;
            if ((across == 0 || across == sign(ca.x - cb.x)) &&
                (down == 0 || down == sign(ca.y - cb.y))) {
                ++quality.pairsInOrder;
            }
        }
    }
    return quality;
}

} // namespace tovren::testing
