#include "world/findingmends.h"

#include "world/mirror.h"

#include <algorithm>

namespace tovren {

namespace {

// The map the world shows by this name; its maps are sorted by name.
const WorldMap* mapNamed(const World& world, const std::string& name) {
    const auto found = std::lower_bound(
        world.maps.begin(), world.maps.end(), name,
        [](const WorldMap& map, const std::string& wanted) { return map.name < wanted; });
    return found != world.maps.end() && found->name == name ? &*found : nullptr;
}

// A map's save with one field changed from what the world read.
MapSave withText(const WorldMap& map, Direction direction, const std::string& text) {
    LinkRecord links = *map.links;
    textOf(links, direction) = text;
    return {map.name, map.links, std::move(links)};
}

class Mender {
public:
    explicit Mender(const World& world) : world_(world) {}

    std::optional<FindingMend> mend(const Finding& finding) {
        const WorldMap* map = mapNamed(world_, finding.map);
        if (!finding.direction || map == nullptr || !map->links) {
            return std::nullopt;
        }
        if (finding.kind == FindingKind::OneWay) {
            return leadBack(*map, *finding.direction);
        }
        if (finding.kind == FindingKind::Dangling && finding.suggestion) {
            return takeSuggestion(*map, *finding.direction, *finding.suggestion);
        }
        return std::nullopt;
    }

private:
    const World& world_;
    std::optional<MirrorPlan> plan_; // made when a one-way link is first met

    std::optional<FindingMend> leadBack(const WorldMap& map, Direction direction) {
        const std::optional<std::size_t> far = map.neighbour(direction);
        if (!far) {
            return std::nullopt;
        }
        if (!plan_) {
            plan_ = planMirror(world_);
        }
        // The plan's mends are one per map, in the order of the maps; each fills only empty
        // fields, each with the one map that wants it.
        const auto mend = std::lower_bound(
            plan_->mends.begin(), plan_->mends.end(), *far,
            [](const Mend& mend, std::size_t wanted) { return mend.map < wanted; });
        const Direction back = opposite(direction);
        const WorldMap& farMap = world_.maps[*far];
        if (mend == plan_->mends.end() || mend->map != *far ||
            textOf(mend->links, back) == farMap.text(back)) {
            return std::nullopt;
        }
        return FindingMend{"Make it lead back",
                           {withText(farMap, back, textOf(mend->links, back))}};
    }

    std::optional<FindingMend> takeSuggestion(const WorldMap& map, Direction direction,
                                              const std::string& suggestion) const {
        const WorldMap* suggested = mapNamed(world_, suggestion);
        if (suggested == nullptr || suggested->name != suggested->linkText) {
            return std::nullopt; // not a name that a text read from a file can hold
        }
        return FindingMend{"Take " + suggested->name,
                           {withText(map, direction, suggested->linkText)}};
    }
};

} // namespace

std::vector<std::optional<FindingMend>> findingMends(const World& world) {
    Mender mender(world);
    std::vector<std::optional<FindingMend>> mends;
    mends.reserve(world.findings.size());
    for (const Finding& finding : world.findings) {
        mends.push_back(mender.mend(finding));
    }
    return mends;
}

} // namespace tovren
