#include "worldtool/report/findingplace.h"

#include "linkstore/linkfile.h"

#include <algorithm>
#include <filesystem>

namespace tovren {

namespace {

std::filesystem::path utf8Path(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string relativeToHere(const std::string& path) {
    std::error_code error;
    const std::filesystem::path here = std::filesystem::current_path(error);
    std::filesystem::path file = utf8Path(path);
    if (!error) {
        file = file.lexically_normal().lexically_proximate(here);
    }
    const std::u8string text = file.generic_u8string();
    return {text.begin(), text.end()};
}

} // namespace

FindingPlace findingPlace(const World& world, const Finding& finding) {
    const auto map = std::lower_bound(
        world.maps.begin(), world.maps.end(), finding.map,
        [](const WorldMap& each, const std::string& name) { return each.name < name; });
    const bool found = map != world.maps.end() && map->name == finding.map;
    FindingPlace place{
        relativeToHere(found ? map->path : linkFilePath(world.folder, finding.map)), {}, {}};
    if (found && finding.kind == FindingKind::Conflict && map->unresolvedMerge) {
        place.firstLine = map->unresolvedMerge->firstLine;
        place.lastLine = map->unresolvedMerge->lastLine;
    } else if (finding.direction) {
        place.firstLine = static_cast<std::size_t>(*finding.direction) + 1;
        place.lastLine = place.firstLine;
    }
    return place;
}

} // namespace tovren
