// A world of up to eight maps built from the input, written as link files and read back by the
// world library, whose findings must hold: every finding names a real map, the one-way links
// found are exactly the links whose far side leads elsewhere, every dangling text names no map;
// laid out by direction, every map has a cell of its own, every link keeps its direction but
// those of a loop told as a wrap, and a link counts as straight exactly where no other map lies
// between its ends on their row or column; on the grid, no two maps of a region share a cell.
// Beside the maps, Tiled maps from the rest of the input, well made or odd (no size, zero or
// negative, huge, infinite with chunks, not XML or not JSON at all): each gives a size or is
// told as unreadable, never a crash; laid out in pixels, no two maps of a region overlap.
#include "linkstore/linkfile.h"
#include "world/straightlinks.h"
#include "world/world.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <unistd.h>

using namespace tovren;

namespace {

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

const std::string& folder() {
    static const std::string path = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "world-fuzz-XXXXXX").string();
        check(::mkdtemp(pattern.data()) != nullptr);
        return pattern;
    }();
    return path;
}

// A neighbour text from one byte: nothing, a map by its name or through "./", or a name that
// leads to no map (in other letter case, or gone).
std::string textFor(std::uint8_t byte, std::size_t mapCount) {
    const std::string number = std::to_string((byte / 8) % mapCount);
    switch (byte % 8) {
    case 0:
        return "";
    case 5:
        return "./map" + number;
    case 6:
        return "MAP" + number;
    case 7:
        return "gone" + number;
    default:
        return "map" + number;
    }
}

// The map a text leads to, by the generator's own rule.
std::optional<std::size_t> mapOf(const std::string& text) {
    for (const std::string prefix : {"map", "./map"}) {
        if (text.starts_with(prefix) && text.size() > prefix.size()) {
            return std::stoul(text.substr(prefix.size()));
        }
    }
    return std::nullopt;
}

// A number of a Tiled map from one byte: around zero, or very large.
long long numberFrom(std::uint8_t byte) {
    return byte == 0xFF ? 4294967296LL : static_cast<long long>(byte % 64) - 8;
}

// After the link records, for each map a byte says which Tiled map lies beside it, made of the
// bytes after it: none, a .tmx or .tmj of some size, an infinite one of two chunks, or the bytes
// themselves as a .tmx or .tmj.
void writeTiledMaps(const std::uint8_t* data, std::size_t size, std::size_t count) {
    std::size_t at = 1 + count * 4;
    const auto next = [&] {
        return at < size ? data[at++] : std::uint8_t{0};
    };
    for (std::size_t map = 0; map < count && at < size; ++map) {
        const std::uint8_t kind = next() % 6;
        long long n[4];
        for (long long& number : n) {
            number = numberFrom(next());
        }
        const std::string w = std::to_string(n[0]), h = std::to_string(n[1]);
        const std::string tw = std::to_string(n[2]), th = std::to_string(n[3]);
        const std::string stem = folder() + "/map" + std::to_string(map);
        std::string text;
        std::string ending = ".tmx";
        switch (kind) {
        case 0:
            continue;
        case 1:
            text = "<map orientation=\"orthogonal\" width=\"" + w + "\" height=\"" + h +
                   "\" tilewidth=\"" + tw + "\" tileheight=\"" + th + "\"><layer/></map>";
            break;
        case 2:
            text = "{\"width\":" + w + ",\"height\":" + h + ",\"tilewidth\":" + tw +
                   ",\"tileheight\":" + th + ",\"layers\":[]}";
            ending = ".tmj";
            break;
        case 3:
            text = "<map infinite=\"1\" tilewidth=\"" + tw + "\" tileheight=\"" + th +
                   "\"><layer><data><chunk x=\"" + w + "\" y=\"0\" width=\"16\" height=\"" + h +
                   "\"/><chunk x=\"0\" y=\"" + h + "\" width=\"" + w +
                   "\" height=\"16\"/></data></layer></map>";
            break;
        default:
            text.assign(reinterpret_cast<const char*>(data) + at,
                        std::min<std::size_t>(size - at, 48));
            at += text.size();
            ending = kind == 4 ? ".tmx" : ".tmj";
            break;
        }
        std::ofstream(stem + ending, std::ios::binary) << text;
    }
}

// Every Tiled map gives a size or is told; in pixels, no two maps of a region overlap.
void checkPixels(const World& world) {
    std::set<std::string> toldUnreadable;
    for (const Finding& finding : world.findings) {
        if (finding.kind == FindingKind::Unreadable) {
            toldUnreadable.insert(finding.map);
        }
    }
    for (const WorldMap& map : world.maps) {
        check(!(map.tiledSize && map.tiledFailure));
        if (map.tiledFailure) {
            check(toldUnreadable.count(map.name) == 1);
        } else if (!map.failure && !map.unresolvedMerge) {
            check(toldUnreadable.count(map.name) == 0);
        }
        if (map.tiledSize) {
            check(map.tiledSize->width > 0 && map.tiledSize->height > 0);
            check(map.position.has_value() && map.size == map.tiledSize);
        }
        check(map.position.has_value() == map.size.has_value());
    }
    for (const WorldMap& a : world.maps) {
        for (const WorldMap& b : world.maps) {
            if (&a == &b || !a.position || !b.position || a.region != b.region) {
                continue;
            }
            check(a.position->x + a.size->width <= b.position->x ||
                  b.position->x + b.size->width <= a.position->x ||
                  a.position->y + a.size->height <= b.position->y ||
                  b.position->y + b.size->height <= a.position->y);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    const std::size_t count = 1 + data[0] % 8;
    const bool oneUnreadable = (data[0] & 0x80U) != 0;
    std::filesystem::remove_all(folder());
    std::filesystem::create_directory(folder());
    std::vector<LinkRecord> records(count);
    for (std::size_t map = 0; map < count; ++map) {
        std::string texts[4];
        for (std::size_t field = 0; field < 4; ++field) {
            const std::size_t at = 1 + map * 4 + field;
            texts[field] = at < size ? textFor(data[at], count) : "";
        }
        records[map] = {texts[0], texts[1], texts[2], texts[3]};
        const std::string path = linkFilePath(folder(), "map" + std::to_string(map));
        saveLinkFile(path, records[map]);
        if (oneUnreadable && map == count - 1) {
            std::filesystem::resize_file(path, 2); // "\r\n" or two letters: too few lines
        }
    }

    writeTiledMaps(data, size, count);

    const World world = readWorld(folder());
    check(world.maps.size() == count);
    checkPixels(world);
    std::set<std::string> names;
    std::map<std::string, std::size_t> indexOf;
    for (std::size_t index = 0; index < count; ++index) {
        names.insert(world.maps[index].name);
        indexOf[world.maps[index].name] = std::stoul(world.maps[index].name.substr(3));
        check(world.maps[index].region >= 1 && world.maps[index].region <= world.regionCount);
    }
    const auto readable = [&](std::size_t map) {
        return !(oneUnreadable && map == count - 1);
    };

    // The one-way links the generator made: A leads somewhere readable that does not lead back.
    std::set<std::pair<std::size_t, Direction>> oneWay;
    for (std::size_t from = 0; from < count; ++from) {
        for (const Direction direction : allDirections) {
            const std::optional<std::size_t> to =
                readable(from) ? mapOf(textOf(records[from], direction)) : std::nullopt;
            if (to && readable(*to) && mapOf(textOf(records[*to], opposite(direction))) != from) {
                oneWay.insert({from, direction});
            }
        }
    }
    std::set<std::pair<std::size_t, Direction>> found;
    for (const Finding& finding : world.findings) {
        check(names.count(finding.map) == 1);
        if (finding.kind == FindingKind::OneWay) {
            found.insert({indexOf[finding.map], *finding.direction});
        } else if (finding.kind == FindingKind::Dangling) {
            check(!mapOf(*finding.target));
        }
    }
    check(found == oneWay);

    // Laid out by direction: a cell of its own for every map, in a picture without empty rows.
    std::set<std::tuple<std::size_t, long long, long long>> cells;
    for (const WorldMap& map : world.maps) {
        check(map.cell.has_value());
        check(cells.insert({map.region, map.cell->x, map.cell->y}).second);
    }
    // Every link keeps its direction, but the links of a pair that a wrap was told of.
    std::map<std::string, std::size_t> worldIndex;
    for (std::size_t index = 0; index < count; ++index) {
        worldIndex[world.maps[index].name] = index;
    }
    std::set<std::pair<std::string, std::string>> wrapped;
    for (const Finding& finding : world.findings) {
        check(finding.kind != FindingKind::Overlap);
        if (finding.kind == FindingKind::Wrap) {
            const WorldMap& owner = world.maps[worldIndex.at(finding.map)];
            const std::optional<std::size_t> to = owner.neighbour(*finding.direction);
            check(to.has_value());
            wrapped.insert(std::minmax(finding.map, world.maps[*to].name));
        }
    }
    const StraightLinks straight(world.maps);
    for (std::size_t from = 0; from < count; ++from) {
        const WorldMap& map = world.maps[from];
        for (const Direction direction : allDirections) {
            const std::optional<std::size_t> to = map.neighbour(direction);
            if (!to || *to == from) {
                continue;
            }
            const Cell a = *map.cell;
            const Cell b = *world.maps[*to].cell;
            check(keepsItsDirection(a, direction, b) ||
                  wrapped.count(std::minmax(map.name, world.maps[*to].name)) == 1);
            // Straight exactly where it runs the way it leads on one row or column with no
            // other map between; the others are drawn with elbows.
            const bool across = direction == Direction::Left || direction == Direction::Right;
            bool clear = keepsItsDirection(a, direction, b) && (across ? a.y == b.y : a.x == b.x);
            for (long long step = std::min(across ? a.x : a.y, across ? b.x : b.y) + 1;
                 clear && step < std::max(across ? a.x : a.y, across ? b.x : b.y); ++step) {
                clear = cells.count({map.region, across ? step : a.x, across ? a.y : step}) == 0;
            }
            check(straight.isStraight(from, direction) == clear);
        }
    }

    // On the grid: no two maps of a region on one cell.
    const World grid = readWorld(folder(), LayoutRule::Grid);
    std::set<std::tuple<std::size_t, long long, long long>> gridCells;
    for (const WorldMap& map : grid.maps) {
        if (map.cell) {
            check(gridCells.insert({map.region, map.cell->x, map.cell->y}).second);
        }
    }
    return 0;
}
