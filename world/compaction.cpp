#include "world/compaction.h"

#include <algorithm>
#include <limits>
#include <map>
#include <numeric>

namespace tovren {

namespace {

// The groups each group comes before, by the pairs (before, after); or, backwards, the groups
// each comes after.
Adjacency<Index> groupsBeside(std::size_t count, const std::vector<std::pair<Index, Index>>& edges,
                              bool backwards) {
    return Adjacency<Index>(count, [&](auto add) {
        for (const auto& [before, after] : edges) {
            backwards ? add(after, before) : add(before, after);
        }
    });
}

// A stretch of one region's rows (or columns) and the group last met there by the sweep.
struct Stretch {
    std::uint64_t last;
    Index group;
};

std::uint64_t keyOf(std::size_t region, long long place) {
    return (static_cast<std::uint64_t>(region) << 32U) | static_cast<std::uint32_t>(place);
}

} // namespace

AxisLayout::AxisLayout(Groups groups, const AxisOrder& order,
                       const std::vector<std::size_t>& regionOfMap)
    : groups_(std::move(groups)), linksIn_(groups_.count(), 0), linksOut_(groups_.count(), 0),
      region_(groups_.count()), at_(groups_.count(), 0) {
    order.forEachKeptEdge([&](const OrderEdge& edge) {
        const Index before = groups_.of[edge.before];
        const Index after = groups_.of[edge.after];
        order_.emplace_back(before, after);
        ++linksOut_[before];
        ++linksIn_[after];
    });
    std::sort(order_.begin(), order_.end());
    order_.erase(std::unique(order_.begin(), order_.end()), order_.end());
    for (Index group = 0; group < groups_.count(); ++group) {
        region_[group] = regionOfMap[groups_.members[groups_.firstMember[group]]];
    }

    const std::vector<Index> sorted = topologicalOrder();
    const Adjacency<Index> after = groupsBeside(groups_.count(), order_, false);
    std::vector<long long> fromStart(groups_.count(), 0);
    std::vector<long long> toEnd(groups_.count(), 0);
    for (const Index group : sorted) {
        for (const Index next : after.from(group)) {
            fromStart[next] = std::max(fromStart[next], fromStart[group] + 1);
        }
    }
    for (auto group = sorted.rbegin(); group != sorted.rend(); ++group) {
        for (const Index next : after.from(*group)) {
            toEnd[*group] = std::max(toEnd[*group], toEnd[next] + 1);
        }
    }
    std::vector<Index> byGuess(groups_.count());
    std::iota(byGuess.begin(), byGuess.end(), Index{0});
    std::sort(byGuess.begin(), byGuess.end(), [&](Index a, Index b) {
        if (fromStart[a] != fromStart[b]) {
            return fromStart[a] < fromStart[b];
        }
        return toEnd[a] != toEnd[b] ? toEnd[a] > toEnd[b] : a < b;
    });
    for (Index place = 0; place < byGuess.size(); ++place) {
        at_[byGuess[place]] = place;
    }
}

std::vector<Index> AxisLayout::topologicalOrder() const {
    std::vector<Index> waitingFor(groups_.count(), 0);
    for (const auto& edge : order_) {
        ++waitingFor[edge.second];
    }
    const Adjacency<Index> after = groupsBeside(groups_.count(), order_, false);
    std::vector<Index> sorted;
    sorted.reserve(groups_.count());
    for (Index group = 0; group < groups_.count(); ++group) {
        if (waitingFor[group] == 0) {
            sorted.push_back(group);
        }
    }
    for (std::size_t at = 0; at < sorted.size(); ++at) {
        for (const Index next : after.from(sorted[at])) {
            if (--waitingFor[next] == 0) {
                sorted.push_back(next);
            }
        }
    }
    return sorted;
}

// The pairs of groups that must keep their order: those that meet on a row of the other axis
// (or would, where a straight link runs through it), each with the nearest before it there.
// A sweep in the present order keeps, for every row, the group met there last.
std::vector<std::pair<Index, Index>> AxisLayout::inTheWay(const AxisLayout& other) const {
    std::vector<long long> low(groups_.count(), 0);
    std::vector<long long> high(groups_.count(), 0);
    for (Index group = 0; group < groups_.count(); ++group) {
        long long lowest = 0;
        long long highest = -1;
        for (Index at = groups_.firstMember[group]; at < groups_.firstMember[group + 1]; ++at) {
            const long long place = other.placeOf(groups_.members[at]);
            lowest = highest < lowest ? place : std::min(lowest, place);
            highest = std::max(highest, place);
        }
        low[group] = lowest;
        high[group] = highest;
    }
    std::vector<Index> sorted(groups_.count());
    std::iota(sorted.begin(), sorted.end(), Index{0});
    std::sort(sorted.begin(), sorted.end(),
              [&](Index a, Index b) { return at_[a] != at_[b] ? at_[a] < at_[b] : a < b; });

    std::vector<std::pair<Index, Index>> pairs;
    std::map<std::uint64_t, Stretch> lastMet; // by the first row of each stretch
    std::vector<std::pair<std::uint64_t, Stretch>> rest;
    for (const Index group : sorted) {
        const std::uint64_t first = keyOf(region_[group], low[group]);
        const std::uint64_t last = keyOf(region_[group], high[group]);
        auto stretch = lastMet.upper_bound(first);
        if (stretch != lastMet.begin() && std::prev(stretch)->second.last >= first) {
            --stretch;
        }
        rest.clear();
        while (stretch != lastMet.end() && stretch->first <= last) {
            const auto [start, met] = *stretch;
            if (pairs.empty() || pairs.back() != std::pair(met.group, group)) {
                pairs.emplace_back(met.group, group);
            }
            if (start < first) {
                rest.push_back({start, {first - 1, met.group}});
            }
            if (met.last > last) {
                rest.push_back({last + 1, met});
            }
            stretch = lastMet.erase(stretch);
        }
        lastMet.insert(rest.begin(), rest.end());
        lastMet.emplace(first, Stretch{last, group});
    }
    return pairs;
}

bool AxisLayout::compactBeside(const AxisLayout& other) {
    std::vector<std::pair<Index, Index>> edges = inTheWay(other);
    edges.insert(edges.end(), order_.begin(), order_.end());
    const Adjacency<Index> before = groupsBeside(groups_.count(), edges, true);
    const Adjacency<Index> after = groupsBeside(groups_.count(), edges, false);
    std::vector<Index> sorted(groups_.count());
    std::iota(sorted.begin(), sorted.end(), Index{0});
    std::sort(sorted.begin(), sorted.end(),
              [&](Index a, Index b) { return at_[a] != at_[b] ? at_[a] < at_[b] : a < b; });

    // Every edge leads from an earlier group to a later one in the present order, so one pass in
    // that order finds the longest way to each group, and one back moves groups on.
    std::vector<long long> places(groups_.count(), 0);
    for (const Index group : sorted) {
        for (const Index previous : before.from(group)) {
            places[group] = std::max(places[group], places[previous] + 1);
        }
    }
    for (auto group = sorted.rbegin(); group != sorted.rend(); ++group) {
        if (linksOut_[*group] > linksIn_[*group] && after.anyFrom(*group)) {
            long long room = std::numeric_limits<long long>::max();
            for (const Index next : after.from(*group)) {
                room = std::min(room, places[next] - 1);
            }
            places[*group] = std::max(places[*group], room);
        }
    }
    countFromZeroByRegion(places);
    const bool moved = places != at_;
    at_ = std::move(places);
    return moved;
}

void AxisLayout::countFromZeroByRegion(std::vector<long long>& places) const {
    std::vector<Index> sorted(groups_.count());
    std::iota(sorted.begin(), sorted.end(), Index{0});
    std::sort(sorted.begin(), sorted.end(), [&](Index a, Index b) {
        return region_[a] != region_[b] ? region_[a] < region_[b] : places[a] < places[b];
    });
    const std::vector<long long> was = places;
    long long counted = 0;
    for (std::size_t at = 0; at < sorted.size(); ++at) {
        const Index group = sorted[at];
        if (at == 0 || region_[group] != region_[sorted[at - 1]]) {
            counted = 0;
        } else if (was[group] != was[sorted[at - 1]]) {
            ++counted;
        }
        places[group] = counted;
    }
}

} // namespace tovren
