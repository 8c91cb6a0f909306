#include "world/differencesystem.h"

#include <algorithm>
#include <numeric>

namespace tovren {

DifferenceSystem::DifferenceSystem(const std::vector<Difference>& constraints,
                                   const std::vector<std::uint32_t>& order)
    : order_(order), edgeOf_(constraints.size()) {
    std::vector<std::uint32_t> placeOf(order.size());
    for (std::uint32_t place = 0; place < order.size(); ++place) {
        placeOf[order[place]] = place;
    }
    // Forwards by their first place rising, then backwards by it falling: counted by place,
    // then laid out.
    const std::size_t places = order.size();
    std::vector<std::uint32_t> start(2 * places + 1, 0);
    const auto bucket = [&](const Difference& constraint) {
        const std::uint32_t from = placeOf[constraint.from];
        return from <= placeOf[constraint.to] ? from : 2 * places - 1 - from;
    };
    for (const Difference& constraint : constraints) {
        ++start[bucket(constraint) + 1];
    }
    for (std::size_t at = 1; at < start.size(); ++at) {
        start[at] += start[at - 1];
    }
    const std::size_t count = constraints.size();
    from_.resize(count);
    to_.resize(count);
    gap_.resize(count);
    index_.resize(count);
    for (std::uint32_t index = 0; index < count; ++index) {
        const Difference& constraint = constraints[index];
        const std::uint32_t edge = start[bucket(constraint)]++;
        from_[edge] = placeOf[constraint.from];
        to_[edge] = placeOf[constraint.to];
        gap_[edge] = constraint.gap;
        index_[edge] = index;
        edgeOf_[index] = edge;
    }
}

bool DifferenceSystem::sweep(std::vector<long long>& at,
                             std::vector<std::uint32_t>& raisedBy) const {
    bool changed = false;
    for (std::size_t edge = 0; edge < from_.size(); ++edge) {
        const long long wanted = at[from_[edge]] + gap_[edge];
        if (wanted > at[to_[edge]]) {
            at[to_[edge]] = wanted;
            raisedBy[to_[edge]] = static_cast<std::uint32_t>(edge);
            changed = true;
        }
    }
    return changed;
}

std::vector<std::vector<std::uint32_t>>
DifferenceSystem::cyclesAmongRaisers(const std::vector<std::uint32_t>& raisedBy) const {
    // Each walk goes back along the edges that raised each value, marking what it meets with
    // its own number, until it meets a value seen before: by itself, that closes a cycle. Each
    // value has one raiser, so no two cycles share a value.
    std::vector<std::vector<std::uint32_t>> cycles;
    std::vector<std::uint32_t> walk(raisedBy.size(), none);
    for (std::uint32_t start = 0; start < raisedBy.size(); ++start) {
        std::uint32_t place = start;
        while (walk[place] == none && raisedBy[place] != none) {
            walk[place] = start;
            place = from_[raisedBy[place]];
        }
        if (walk[place] != start || raisedBy[place] == none) {
            continue;
        }
        std::vector<std::uint32_t>& cycle = cycles.emplace_back();
        const std::uint32_t first = place;
        do {
            cycle.push_back(raisedBy[place]);
            place = from_[raisedBy[place]];
        } while (place != first);
        std::reverse(cycle.begin(), cycle.end());
    }
    return cycles;
}

} // namespace tovren
