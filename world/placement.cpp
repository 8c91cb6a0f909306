#include "world/placement.h"

#include "world/directionlayout.h"
#include "world/gridplacement.h"

namespace tovren {

std::vector<Finding> placeMaps(std::vector<WorldMap>& maps, std::size_t& regionCount,
                               LayoutRule rule) {
    return rule == LayoutRule::Grid ? placeOnGrid(maps, regionCount)
                                    : placeByDirection(maps, regionCount);
}

} // namespace tovren
