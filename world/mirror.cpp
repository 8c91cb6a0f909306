#include "world/mirror.h"

#include "world/findingtext.h"
#include "world/savetransaction.h"

#include <map>

namespace tovren {

MirrorPlan planMirror(const World& world) {
    // Who wants each empty field of each map: (B, B's field) -> the maps leading there.
    std::map<std::pair<std::size_t, Direction>, std::vector<std::size_t>> wanted;
    MirrorPlan plan;
    for (std::size_t from = 0; from < world.maps.size(); ++from) {
        const WorldMap& map = world.maps[from];
        for (const Direction direction : allDirections) {
            const std::optional<std::size_t> to = map.neighbour(direction);
            if (!to || !world.maps[*to].links) {
                continue;
            }
            const WorldMap& far = world.maps[*to];
            const Direction back = opposite(direction);
            if (far.neighbour(back) == from) {
                continue;
            }
            if (!far.text(back).empty()) {
                plan.undecided.push_back(
                    {oneWayElsewhere(map.name, direction, far.name, far.text(back)) +
                     ": which is right is for a person to say"});
                continue;
            }
            wanted[{*to, back}].push_back(from);
        }
    }
    std::map<std::size_t, Mend> byMap;
    for (const auto& [place, leaders] : wanted) {
        const auto [to, back] = place;
        const WorldMap& far = world.maps[to];
        if (leaders.size() > 1) {
            std::string names;
            for (const std::size_t leader : leaders) {
                names += (names.empty() ? "" : ", ") + shownInText(world.maps[leader].name);
            }
            plan.undecided.push_back({shownInText(far.name) + " leads nowhere " +
                                      std::string(directionName(back)) + ", and " + names +
                                      " all lead there: which one it leads back to is for a "
                                      "person to say"});
            continue;
        }
        const WorldMap& leader = world.maps[leaders.front()];
        if (leader.name != leader.linkText) { // bytes that no text read from a file can hold
            plan.undecided.push_back({shownInText(leader.name) +
                                      "'s file name is not text a link file can hold, so " +
                                      shownInText(far.name) + " cannot be made to lead back"});
            continue;
        }
        Mend& mend = byMap.try_emplace(to, Mend{to, *far.links, {}}).first->second;
        textOf(mend.links, back) = leader.linkText;
        mend.changes.push_back(shownInText(far.name) + " leads " +
                               std::string(directionName(back)) + " to " +
                               shownInText(leader.name));
    }
    for (auto& [index, mend] : byMap) {
        plan.mends.push_back(std::move(mend));
    }
    return plan;
}

std::vector<std::optional<std::string>> applyMirror(const World& world, const MirrorPlan& plan) {
    // Each mend is a change of its own: one map, whose file must still hold what was read.
    std::vector<std::optional<std::string>> outcomes;
    for (const Mend& mend : plan.mends) {
        const WorldMap& map = world.maps[mend.map];
        const SaveResult saved = saveMaps({{{map.name, map.links, mend.links}, map.path}});
        if (!saved.conflicts.empty()) {
            const std::optional<FileFailure>& failure = saved.conflicts.front().failure;
            outcomes.emplace_back(failure ? failure->description()
                                          : shownInText(map.name) +
                                                " changed since the world was read; it was left "
                                                "alone");
        } else if (const std::optional<FileFailure>& failure = saved.outcomes.front().failure) {
            outcomes.emplace_back(failure->description());
        } else {
            outcomes.emplace_back();
        }
    }
    return outcomes;
}

} // namespace tovren
