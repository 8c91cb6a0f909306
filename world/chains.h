#pragma once

#include "world/axisorder.h"

#include <cstddef>
#include <vector>

namespace tovren {

// Maps joined one after another by straight links: a row, joined by links right and left, or
// a column, joined by links down and up. Each map has at most one map before it and one after.
struct Chains {
    std::vector<Index> next;
    std::vector<Index> previous;

    explicit Chains(std::size_t count) : next(count, noMap), previous(count, noMap) {}

    bool join(Index before, Index after) {
        if (next[before] != noMap || previous[after] != noMap) {
            return false;
        }
        next[before] = after;
        previous[after] = before;
        return true;
    }
    void part(Index before) {
        previous[next[before]] = noMap;
        next[before] = noMap;
    }
};

// The chains of an order's kept edges: pairs that lead there and back first, then one-way ones,
// each in the order's own order.
Chains chainsOf(const AxisOrder& order, std::size_t count);

// The maps of each chain, which share one coordinate: a group, numbered by its first map.
struct Groups {
    std::vector<Index> of; // each map's group
    std::vector<Index>
        firstMember;            // the members of g lie from firstMember[g] to firstMember[g + 1]
    std::vector<Index> members; // in chain order

    Index count() const { return static_cast<Index>(firstMember.size() - 1); }
};

Groups groupsOf(const Chains& chains);

// Parts the chains that cannot all be straight: where the groups they make would have to come
// before themselves in the order of the other axis (a map right of another in one column and
// left of it in another, or right of a map of its own column). The chains of each such knot
// are parted and joined again, link by link in the order chainsOf takes them, wherever that
// ties no new knot. `chained` is the order the chains come from, `across` the order the groups
// must keep.
void keepGroupsInOrder(Chains& chains, const AxisOrder& chained, const AxisOrder& across);

} // namespace tovren
