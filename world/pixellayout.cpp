#include "world/pixellayout.h"

#include "world/differencesystem.h"
#include "world/findingtext.h"
#include "world/growingsystem.h"
#include "world/pixelconstraints.h"

#include <algorithm>
#include <limits>

namespace tovren {

namespace {

using Index = std::uint32_t;

class PixelLayout {
public:
    PixelLayout(std::vector<WorldMap>& maps, std::size_t regionCount)
        : maps_(maps), world_(pixelWorldOf(maps, regionCount)),
          regionCount_(regionCount), order_{inCellOrder(world_, 0), inCellOrder(world_, 1)} {}

    std::vector<Finding> run() {
        if (world_.boxes.empty()) {
            return {};
        }
        for (const int axis : {0, 1}) {
            settleLinks(axis);
        }
        // A first picture, the least values that meet the links and overlap linked maps by a
        // unit, and its other extreme, the greatest.
        std::vector<long long> first[2];
        for (const int axis : {0, 1}) {
            addLinks(links_[axis], world_, axis);
            addUnits(units_[axis], world_, axis);
            first[axis] = extreme(axis, false);
            other_[axis] = extreme(axis, true);
        }
        overlaps_ = overlapping(world_, first[0], first[1]);
        // Across, then down: every two maps side by side keep their order.
        std::vector<long long> values[2];
        values[0] = placed(0, first[1], first[0]);
        values[1] = placed(1, values[0], first[1]);
        drawApart(overlapping(world_, values[0], values[1]), values);
        for (Index box = 0; box < world_.boxes.size(); ++box) {
            maps_[world_.boxes[box].map].position = Position{values[0][box], values[1][box]};
        }
        return std::move(findings_);
    }

private:
    std::vector<WorldMap>& maps_;
    PixelWorld world_;
    std::size_t regionCount_;
    const std::vector<Index> order_[2]; // the cells' order along each axis
    std::vector<Finding> findings_;
    PixelSystem links_[2]; // what the links ask on each axis
    PixelSystem units_[2]; // and the overlaps by a unit, where they can be
    std::vector<long long> other_[2];
    std::vector<std::pair<Index, Index>> overlaps_; // of the first picture

    // The links alone: each loop that cannot close is told, and one of its links gives up.
    void settleLinks(int axis) {
        PixelSystem links;
        addLinks(links, world_, axis);
        std::vector<long long> values(world_.boxes.size(), 0);
        DifferenceSystem(links.constraints, order_[axis])
            .raise(values, [&](std::vector<Index>&& cycle) { return giveWay(links, cycle, axis); });
    }

    // The least values on the axis that meet the links and the units that can be met with them,
    // or, turned round, the greatest (the least of their negatives).
    std::vector<long long> extreme(int axis, bool turned) {
        PixelSystem system;
        for (const PixelSystem* part : {&links_[axis], &units_[axis]}) {
            for (std::size_t at = 0; at < part->constraints.size(); ++at) {
                const Difference& one = part->constraints[at];
                system.add(turned ? one.to : one.from, turned ? one.from : one.to, one.gap,
                           part->kinds[at], part->links[at]);
            }
        }
        std::vector<long long> values(world_.boxes.size(), 0);
        DifferenceSystem(system.constraints, order_[axis]).raise(values, latestGivesWay);
        if (turned) {
            std::transform(values.begin(), values.end(), values.begin(),
                           [](long long value) { return -value; });
        }
        return values;
    }

    // The values on one axis: the links hold; every two maps whose spans overlap at `other`
    // keep the order of `first`, this axis's first picture; two maps that overlap there too
    // are kept apart where that can be, the way the other extreme has them first; and linked
    // maps overlap by a unit where they can.
    std::vector<long long> placed(int axis, const std::vector<long long>& other,
                                  const std::vector<long long>& first) {
        PixelSystem sure = links_[axis];
        PixelSystem loose;
        PixelSystem apart;
        addApart(apart, world_, axis, other, first, Kind::Separate, Kind::Loose);
        for (std::size_t at = 0; at < apart.constraints.size(); ++at) {
            (apart.kinds[at] == Kind::Loose ? loose : sure)
                .add(apart.constraints[at].from, apart.constraints[at].to,
                     apart.constraints[at].gap, apart.kinds[at]);
        }
        const std::size_t unitsFrom = sure.constraints.size();
        for (std::size_t at = 0; at < units_[axis].constraints.size(); ++at) {
            const Difference& unit = units_[axis].constraints[at];
            sure.add(unit.from, unit.to, unit.gap, Kind::Unit, units_[axis].links[at]);
        }
        std::vector<long long> values(world_.boxes.size(), 0);
        DifferenceSystem(sure.constraints, order_[axis])
            .raise(values, [&](std::vector<Index>&& cycle) {
                const Index latest = *std::max_element(cycle.begin(), cycle.end());
                return latest >= unitsFrom ? std::vector<Index>{latest}
                                           : giveWay(sure, cycle, axis);
            });
        GrowingSystem growing(std::move(values), sure.constraints);
        for (const auto& [a, b] : overlaps_) {
            if (axis == 1 && (other[a] + world_.boxes[a].size[0] <= other[b] ||
                              other[b] + world_.boxes[b].size[0] <= other[a])) {
                continue; // kept apart across
            }
            for (const Index before : waysApart(a, b, axis, first)) {
                if (growing.tryAdd(
                        {before, before == a ? b : a, world_.boxes[before].size[axis]})) {
                    break;
                }
            }
        }
        for (const Difference& side : loose.constraints) {
            growing.tryAdd(side);
        }
        return calm(growing.constraints(), axis);
    }

    // Which of two maps to keep before the other on the axis, in the order to try: as the
    // other extreme has them, if it keeps them apart there; by their middles at `at`; the
    // other way round.
    std::vector<Index> waysApart(Index a, Index b, int axis,
                                 const std::vector<long long>& at) const {
        std::vector<Index> ways;
        const std::vector<long long>& hint = other_[axis];
        if (hint[a] + world_.boxes[a].size[axis] <= hint[b]) {
            ways.push_back(a);
        } else if (hint[b] + world_.boxes[b].size[axis] <= hint[a]) {
            ways.push_back(b);
        }
        const Index middleFirst =
            2 * at[a] + world_.boxes[a].size[axis] <= 2 * at[b] + world_.boxes[b].size[axis] ? a
                                                                                             : b;
        ways.push_back(middleFirst);
        ways.push_back(middleFirst == a ? b : a);
        return ways;
    }

    // Two maps that still overlap: the one with fewer links (or the later by name) is drawn
    // apart, below the other maps of its region, and told; its links do not touch.
    void drawApart(const std::vector<std::pair<Index, Index>>& pairs,
                   std::vector<long long> (&values)[2]) {
        std::vector<Index> linkCount(world_.boxes.size(), 0);
        for (const PixelLink& link : world_.links) {
            ++linkCount[link.before];
            ++linkCount[link.after];
        }
        std::vector<bool> moved(world_.boxes.size(), false);
        std::vector<std::pair<Index, Index>> movedBecause;
        for (const auto& [a, b] : pairs) {
            if (moved[a] || moved[b]) {
                continue;
            }
            const Index mover = linkCount[a] != linkCount[b] ? (linkCount[a] < linkCount[b] ? a : b)
                                                             : std::max(a, b);
            moved[mover] = true;
            movedBecause.emplace_back(mover, mover == a ? b : a);
        }
        std::vector<long long> bottom(regionCount_ + 1, 0);
        std::vector<long long> nextLeft(regionCount_ + 1, 0);
        for (Index box = 0; box < world_.boxes.size(); ++box) {
            const PixelBox& one = world_.boxes[box];
            if (!moved[box]) {
                bottom[one.region] = std::max(bottom[one.region], values[1][box] + one.size[1]);
            }
        }
        std::sort(movedBecause.begin(), movedBecause.end());
        for (const auto& [mover, other] : movedBecause) {
            const PixelBox& one = world_.boxes[mover];
            values[0][mover] = nextLeft[one.region];
            values[1][mover] = bottom[one.region];
            nextLeft[one.region] += one.size[0];
            findings_.push_back(
                {FindingKind::Misaligned, maps_[one.map].name, std::nullopt, std::nullopt,
                 drawnApart(maps_[one.map].name, maps_[world_.boxes[other].map].name)});
        }
    }

    // Where constraints that should hold together do not, the latest of each cycle gives way.
    static std::vector<Index> latestGivesWay(std::vector<Index>&& cycle) {
        return {*std::max_element(cycle.begin(), cycle.end())};
    }

    // Of a cycle, from its first map by name, the last link that pulls back gives up touching
    // on the axis (or, where none does, its direction), and the loop is told. Returns the
    // constraints that no longer hold.
    std::vector<Index> giveWay(PixelSystem& system, std::vector<Index> cycle, int axis) {
        std::rotate(cycle.begin(),
                    std::min_element(cycle.begin(), cycle.end(),
                                     [&](Index a, Index b) {
                                         return world_.boxes[system.constraints[a].from].map <
                                                world_.boxes[system.constraints[b].from].map;
                                     }),
                    cycle.end());
        for (const bool direction : {false, true}) {
            const auto chosen = std::find_if(cycle.rbegin(), cycle.rend(), [&](Index at) {
                const Kind kind = system.kinds[at];
                return direction ? kind == Kind::Along
                                 : kind == Kind::Back || kind == Kind::Overlap;
            });
            if (chosen == cycle.rend()) {
                continue;
            }
            const Index link = system.links[*chosen];
            tellLoop(system, cycle, axis, link);
            world_.links[link].asks[axis] = false;
            std::vector<Index> given;
            for (Index at = 0; at < system.constraints.size(); ++at) {
                const Kind kind = system.kinds[at];
                if (system.links[at] == link &&
                    (kind == Kind::Back || kind == Kind::Overlap || kind == Kind::Unit ||
                     (direction && kind == Kind::Along))) {
                    given.push_back(at);
                }
            }
            return given;
        }
        return latestGivesWay(std::move(cycle));
    }

    void tellLoop(const PixelSystem& system, const std::vector<Index>& cycle, int axis,
                  Index gaveWay) {
        long long shortBy = 0;
        std::vector<LoopStep> steps;
        for (const Index at : cycle) {
            const Difference& constraint = system.constraints[at];
            const Kind kind = system.kinds[at];
            shortBy += constraint.gap;
            const bool linked = kind == Kind::Along || kind == Kind::Back ||
                                kind == Kind::Overlap || kind == Kind::Unit;
            const PixelLink* link = linked ? &world_.links[system.links[at]] : nullptr;
            steps.push_back(
                {wayAlong(link ? link->axis : axis, !link || constraint.from == link->before),
                 maps_[world_.boxes[constraint.to].map].name, linked});
        }
        const PixelLink& link = world_.links[gaveWay];
        const WorldMap& owner = maps_[link.owner];
        findings_.push_back(
            {FindingKind::Misaligned, owner.name, link.direction, owner.text(link.direction),
             cannotClose(maps_[world_.boxes[system.constraints[cycle.front()].from].map].name,
                         steps, shortBy)});
    }

    // The middle of the least and the greatest values that meet the constraints, the greatest
    // within the least ones' extent, each region from 0: where a map may slide along another,
    // it lies half way (a difference system's solutions are convex).
    std::vector<long long> calm(const std::vector<Difference>& constraints, int axis) const {
        std::vector<long long> least(world_.boxes.size(), 0);
        DifferenceSystem(constraints, order_[axis]).raise(least, latestGivesWay);
        std::vector<long long> extent(regionCount_ + 1, 0);
        for (Index box = 0; box < world_.boxes.size(); ++box) {
            const PixelBox& one = world_.boxes[box];
            extent[one.region] = std::max(extent[one.region], least[box] + one.size[axis]);
        }
        // The greatest values are the least of their negatives, every constraint turned round.
        std::vector<Difference> turned(constraints.size());
        std::transform(constraints.begin(), constraints.end(), turned.begin(),
                       [](const Difference& one) {
                           return Difference{one.to, one.from, one.gap};
                       });
        std::vector<long long> greatest(world_.boxes.size());
        for (Index box = 0; box < world_.boxes.size(); ++box) {
            const PixelBox& one = world_.boxes[box];
            greatest[box] = one.size[axis] - extent[one.region];
        }
        DifferenceSystem(turned, {order_[axis].rbegin(), order_[axis].rend()})
            .raise(greatest, latestGivesWay);
        std::vector<long long> middle(world_.boxes.size());
        std::vector<long long> lowest(regionCount_ + 1, std::numeric_limits<long long>::max());
        for (Index box = 0; box < world_.boxes.size(); ++box) {
            middle[box] = (least[box] - greatest[box]) / 2;
            lowest[world_.boxes[box].region] =
                std::min(lowest[world_.boxes[box].region], middle[box]);
        }
        for (Index box = 0; box < world_.boxes.size(); ++box) {
            middle[box] -= lowest[world_.boxes[box].region];
        }
        return middle;
    }
};

} // namespace

std::vector<Finding> placeInPixels(std::vector<WorldMap>& maps, std::size_t regionCount) {
    return PixelLayout(maps, regionCount).run();
}

} // namespace tovren
