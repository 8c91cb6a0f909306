#pragma once

#include "world/axisorder.h"
#include "world/chains.h"

#include <cstddef>
#include <utility>
#include <vector>

namespace tovren {

// One axis of the picture: the place of each group along it (the x of each column, or the y of
// each row), and the order its links give the groups.
class AxisLayout {
public:
    // Every group at a place of its own, in an order that every link keeps: by the most links
    // that lead to it one after another from the start of the order (where that is the same,
    // the group with more links still to come after it first). The order must have no knot.
    AxisLayout(Groups groups, const AxisOrder& order, const std::vector<std::size_t>& regionOfMap);

    // Given the places of the other axis, moves every group as far towards the start as the
    // links and the groups in its way allow: those that share a row of the other axis with it
    // (or a column), in their present order. A group that more links leave than reach is then
    // moved on towards those it leads to. Places are counted from 0 in each region, with none
    // unused. Returns whether any group moved.
    bool compactBeside(const AxisLayout& other);

    long long placeOf(Index map) const { return at_[groups_.of[map]]; }

private:
    Groups groups_;
    std::vector<std::pair<Index, Index>> order_; // between groups: the first before the second
    std::vector<Index> linksIn_;                 // by group: links from the groups before it
    std::vector<Index> linksOut_;                // and to the groups after it
    std::vector<std::size_t> region_;
    std::vector<long long> at_;

    std::vector<Index> topologicalOrder() const;
    std::vector<std::pair<Index, Index>> inTheWay(const AxisLayout& other) const;
    void countFromZeroByRegion(std::vector<long long>& places) const;
};

} // namespace tovren
