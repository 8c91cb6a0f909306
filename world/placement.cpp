#include "world/placement.h"

#include "world/directionlayout.h"
#include "world/gridplacement.h"
#include "world/pixellayout.h"

namespace tovren {

std::vector<Finding> placeMaps(std::vector<WorldMap>& maps, std::size_t& regionCount,
                               LayoutRule rule) {
    for (WorldMap& map : maps) {
        map.size = map.tiledSize;
        map.position.reset();
    }
    if (rule == LayoutRule::Grid) {
        return placeOnGrid(maps, regionCount);
    }
    std::vector<Finding> findings = placeByDirection(maps, regionCount);
    std::vector<Finding> misaligned = placeInPixels(maps, regionCount);
    findings.insert(findings.end(), misaligned.begin(), misaligned.end());
    return findings;
}

} // namespace tovren
