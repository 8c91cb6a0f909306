#include "worldtool/tiled/tiledexport.h"

#include "world/regionlayout.h"
#include "worldtool/report/jsontext.h"

#include <filesystem>
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

} // namespace

void writeTiledWorld(const World& world, const TiledExport& how, std::ostream& out) {
    using json = nlohmann::ordered_json;
    const std::vector<RegionPlace> regions = placeRegions(world);
    const fs::path worldFolder =
        fs::absolute(utf8Path(how.worldFile)).lexically_normal().parent_path();
    json maps = json::array();
    for (const WorldMap& map : world.maps) {
        if (!map.cell) {
            continue;
        }
        const Cell cell = cellInWorld(regions[map.region - 1], *map.cell);
        const fs::path file =
            (utf8Path(world.folder) / utf8Path(map.name + how.mapSuffix)).lexically_normal();
        maps.push_back({{"fileName", utf8Text(file.lexically_relative(worldFolder))},
                        {"x", cell.x * how.mapWidth},
                        {"y", cell.y * how.mapHeight},
                        {"width", how.mapWidth},
                        {"height", how.mapHeight}});
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
