#include "world/pixelconstraints.h"

#include <algorithm>
#include <functional>
#include <map>
#include <numeric>
#include <queue>
#include <tuple>

namespace tovren {

namespace {

using Index = std::uint32_t;

template <typename Key> std::vector<Index> sortedBy(std::size_t count, Key key) {
    std::vector<Index> boxes(count);
    std::iota(boxes.begin(), boxes.end(), Index{0});
    std::sort(boxes.begin(), boxes.end(),
              [&](Index a, Index b) { return std::tuple(key(a), a) < std::tuple(key(b), b); });
    return boxes;
}

// A stretch of one axis and the box last met there by a sweep.
struct Stretch {
    long long last;
    Index box;
};

} // namespace

void addLinks(PixelSystem& system, const PixelWorld& world, int axis) {
    for (Index at = 0; at < world.links.size(); ++at) {
        const PixelLink& link = world.links[at];
        const long long sizeBefore = world.boxes[link.before].size[axis];
        const long long sizeAfter = world.boxes[link.after].size[axis];
        if (link.axis == axis) {
            system.add(link.before, link.after, sizeBefore, Kind::Along, at);
            if (link.asks[axis]) {
                system.add(link.after, link.before, -sizeBefore, Kind::Back, at);
            }
        } else if (link.asks[axis]) {
            const long long overlap = link.overlap(world.boxes, axis);
            system.add(link.before, link.after, overlap - sizeAfter, Kind::Overlap, at);
            system.add(link.after, link.before, overlap - sizeBefore, Kind::Overlap, at);
        }
    }
}

void addUnits(PixelSystem& system, const PixelWorld& world, int axis) {
    std::map<std::size_t, long long> unit;
    for (const PixelBox& box : world.boxes) {
        unit[box.region] = std::gcd(unit[box.region], box.size[axis]);
    }
    for (Index at = 0; at < world.links.size(); ++at) {
        const PixelLink& link = world.links[at];
        if (link.axis == axis || !link.asks[axis]) {
            continue;
        }
        const long long sizeBefore = world.boxes[link.before].size[axis];
        const long long sizeAfter = world.boxes[link.after].size[axis];
        const long long overlap = std::min(
            {std::max(unit[world.boxes[link.before].region], link.overlap(world.boxes, axis)),
             sizeBefore, sizeAfter});
        system.add(link.before, link.after, overlap - sizeAfter, Kind::Unit, at);
        system.add(link.after, link.before, overlap - sizeBefore, Kind::Unit, at);
    }
}

void addApart(PixelSystem& system, const PixelWorld& world, int axis,
              const std::vector<long long>& other, const std::vector<long long>& along, Kind kind,
              Kind overlappingKind) {
    const std::vector<Index> boxes = sortedBy(world.boxes.size(), [&](Index box) {
        return std::tuple(world.boxes[box].region, 2 * along[box] + world.boxes[box].size[axis]);
    });
    std::map<long long, Stretch> lastMet; // by the first place of each stretch
    std::vector<std::pair<long long, Stretch>> rest;
    for (std::size_t at = 0; at < boxes.size(); ++at) {
        const Index box = boxes[at];
        if (at > 0 && world.boxes[boxes[at - 1]].region != world.boxes[box].region) {
            lastMet.clear();
        }
        const long long first = other[box];
        const long long last = first + world.boxes[box].size[1 - axis] - 1;
        auto stretch = lastMet.upper_bound(first);
        if (stretch != lastMet.begin() && std::prev(stretch)->second.last >= first) {
            --stretch;
        }
        rest.clear();
        Index previous = box;
        while (stretch != lastMet.end() && stretch->first <= last) {
            const auto [start, met] = *stretch;
            if (met.box != previous) {
                const long long gap = world.boxes[met.box].size[axis];
                system.add(met.box, box, gap,
                           along[box] >= along[met.box] + gap ? kind : overlappingKind);
                previous = met.box;
            }
            if (start < first) {
                rest.push_back({start, {first - 1, met.box}});
            }
            if (met.last > last) {
                rest.push_back({last + 1, met});
            }
            stretch = lastMet.erase(stretch);
        }
        lastMet.insert(rest.begin(), rest.end());
        lastMet.emplace(first, Stretch{last, box});
    }
}

std::vector<std::pair<Index, Index>> overlapping(const PixelWorld& world,
                                                 const std::vector<long long>& x,
                                                 const std::vector<long long>& y) {
    // A sweep across: the boxes that the sweep's line crosses, by their tops.
    const std::vector<Index> boxes = sortedBy(
        world.boxes.size(), [&](Index box) { return std::tuple(world.boxes[box].region, x[box]); });
    std::size_t regions = 0;
    for (const PixelBox& box : world.boxes) {
        regions = std::max(regions, box.region + 1);
    }
    std::vector<long long> tallest(regions, 0);
    for (const PixelBox& box : world.boxes) {
        tallest[box.region] = std::max(tallest[box.region], box.size[1]);
    }
    std::vector<std::pair<Index, Index>> pairs;
    using Crossed = std::multimap<long long, Index>;
    Crossed crossed;
    using Ending = std::pair<long long, Crossed::iterator>;
    const auto later = [](const Ending& a, const Ending& b) {
        return a.first > b.first;
    };
    std::priority_queue<Ending, std::vector<Ending>,
                        std::function<bool(const Ending&, const Ending&)>>
        ending(later);
    for (std::size_t at = 0; at < boxes.size(); ++at) {
        const Index box = boxes[at];
        const PixelBox& one = world.boxes[box];
        if (at > 0 && world.boxes[boxes[at - 1]].region != one.region) {
            crossed.clear();
            while (!ending.empty()) {
                ending.pop();
            }
        }
        while (!ending.empty() && ending.top().first <= x[box]) {
            crossed.erase(ending.top().second);
            ending.pop();
        }
        for (auto met = crossed.upper_bound(y[box] - tallest[one.region]);
             met != crossed.end() && met->first < y[box] + one.size[1]; ++met) {
            if (met->first + world.boxes[met->second].size[1] > y[box]) {
                pairs.emplace_back(met->second, box);
            }
        }
        ending.push({x[box] + one.size[0], crossed.emplace(y[box], box)});
    }
    return pairs;
}

std::vector<Index> inCellOrder(const PixelWorld& world, int axis) {
    return sortedBy(world.boxes.size(), [&](Index box) {
        return std::tuple(world.boxes[box].cell[axis], world.boxes[box].cell[1 - axis]);
    });
}

} // namespace tovren
