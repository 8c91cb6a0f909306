#include "worldtool/tiled/tiledexport.h"

#include "world/regionlayout.h"
#include "world/regionpacking.h"
#include "worldtool/report/jsontext.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <ostream>

namespace tovren {

namespace {

namespace fs = std::filesystem;

fs::path utf8Path(const std::string& text) {
    return fs::path(std::u8string(text.begin(), text.end()));
}

std::string utf8Text(const fs::path& path) {
    const std::u8string text = path.generic_u8string();
    return {text.begin(), text.end()};
}

// A map's place and size in pixels within its region.
struct Box {
    long long x = 0;
    long long y = 0;
    long long width = 0;
    long long height = 0;
};

Box boxOf(const WorldMap& map, const RegionPlace& cells, const TiledExport& how) {
    if (map.position && map.size) {
        return {map.position->x, map.position->y, map.size->width, map.size->height};
    }
    return {(map.cell->x - cells.left) * how.mapWidth, (map.cell->y - cells.top) * how.mapHeight,
            how.mapWidth, how.mapHeight};
}

// Between two regions: the map size, or where maps have sizes of their own, the most common.
Extent gapBetweenRegions(const World& world, const TiledExport& how) {
    std::map<std::pair<long long, long long>, std::size_t> seen;
    for (const WorldMap& map : world.maps) {
        if (map.size && map.position) {
            ++seen[{map.size->width, map.size->height}];
        }
    }
    if (how.mapWidth > 0 || seen.empty()) {
        return {how.mapWidth, how.mapHeight};
    }
    const auto common = std::max_element(
        seen.begin(), seen.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
    return {common->first.first, common->first.second};
}

} // namespace

bool needsMapSize(const World& world) {
    return std::any_of(world.maps.begin(), world.maps.end(),
                       [](const WorldMap& map) { return map.cell && !(map.position && map.size); });
}

void writeTiledWorld(const World& world, const TiledExport& how, std::ostream& out) {
    using json = nlohmann::ordered_json;
    const std::vector<RegionPlace> cells = placeRegions(world);
    std::vector<Extent> extents(world.regionCount);
    for (const WorldMap& map : world.maps) {
        if (map.cell) {
            const Box box = boxOf(map, cells[map.region - 1], how);
            Extent& extent = extents[map.region - 1];
            extent.width = std::max(extent.width, box.x + box.width);
            extent.height = std::max(extent.height, box.y + box.height);
        }
    }
    const Extent gap = gapBetweenRegions(world, how);
    const std::vector<Placed> regions = packInRows(extents, gap.width, gap.height);
    const fs::path worldFolder =
        fs::absolute(utf8Path(how.worldFile)).lexically_normal().parent_path();
    json maps = json::array();
    for (const WorldMap& map : world.maps) {
        if (!map.cell) {
            continue;
        }
        const Box box = boxOf(map, cells[map.region - 1], how);
        const Placed& region = regions[map.region - 1];
        const fs::path file =
            (map.tiledPath.empty() ? utf8Path(world.folder) / utf8Path(map.name + how.mapSuffix)
                                   : utf8Path(map.tiledPath))
                .lexically_normal();
        maps.push_back({{"fileName", utf8Text(file.lexically_relative(worldFolder))},
                        {"x", region.x + box.x},
                        {"y", region.y + box.y},
                        {"width", box.width},
                        {"height", box.height}});
    }
    const json document = {{"maps", maps}, {"onlyShowAdjacentMaps", false}, {"type", "world"}};
    out << jsonText(document, 4) << '\n';
}

std::vector<std::string> unplacedMaps(const World& world) {
    std::vector<std::string> names;
    for (const WorldMap& map : world.maps) {
        if (!map.cell) {
            names.push_back(map.name);
        }
    }
    return names;
}

} // namespace tovren
