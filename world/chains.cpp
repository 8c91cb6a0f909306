#include "world/chains.h"

#include <algorithm>

namespace tovren {

namespace {

// Knots larger than this are left parted: joining again costs the square of a knot's size, and
// a world has such knots only by mistake.
constexpr std::size_t largestKnotToTie = 2000;

// Joins the maps of one knot, each alone now, into chains again where that ties no new knot:
// two groups may become one only where neither comes before the other in `across`.
class Knot {
public:
    Knot(std::vector<Index> maps, std::vector<Index>& localOf, const AxisOrder& across)
        : maps_(std::move(maps)), localOf_(localOf), across_(across), groupOf_(maps_.size()),
          members_(maps_.size()), seen_(maps_.size(), 0) {
        for (Index local = 0; local < maps_.size(); ++local) {
            localOf_[maps_[local]] = local;
            groupOf_[local] = local;
            members_[local] = {maps_[local]};
        }
    }
    Knot(const Knot&) = delete;
    Knot& operator=(const Knot&) = delete;
    ~Knot() {
        for (const Index map : maps_) {
            localOf_[map] = noMap;
        }
    }

    void tie(Chains& chains, const AxisOrder& chained) {
        for (const bool mutual : {true, false}) {
            for (const Index map : maps_) {
                chained.forEachKeptEdgeOf(map, [&](const OrderEdge& edge) {
                    if (edge.mutual == mutual && localOf_[edge.after] != noMap) {
                        tryToJoin(chains, edge.before, edge.after);
                    }
                });
            }
        }
    }

private:
    std::vector<Index> maps_;
    std::vector<Index>& localOf_;
    const AxisOrder& across_;
    std::vector<Index> groupOf_;              // by local index
    std::vector<std::vector<Index>> members_; // by group
    std::vector<unsigned> seen_;              // by group: the search that saw it last
    unsigned search_ = 0;

    Index group(Index map) const { return groupOf_[localOf_[map]]; }

    void tryToJoin(Chains& chains, Index before, Index after) {
        const Index a = group(before);
        const Index b = group(after);
        if (a == b || chains.next[before] != noMap || chains.previous[after] != noMap ||
            reaches(a, b) || reaches(b, a)) {
            return;
        }
        chains.join(before, after);
        const auto [into, from] =
            members_[a].size() >= members_[b].size() ? std::pair(a, b) : std::pair(b, a);
        for (const Index map : members_[from]) {
            groupOf_[localOf_[map]] = into;
        }
        members_[into].insert(members_[into].end(), members_[from].begin(), members_[from].end());
        members_[from].clear();
    }

    // Whether group `to` comes after group `from` in `across`, through the knot's maps.
    bool reaches(Index from, Index to) {
        ++search_;
        std::vector<Index> waiting{from};
        seen_[from] = search_;
        while (!waiting.empty()) {
            const Index at = waiting.back();
            waiting.pop_back();
            for (const Index map : members_[at]) {
                bool found = false;
                across_.forEachKeptEdgeOf(map, [&](const OrderEdge& edge) {
                    if (found || localOf_[edge.after] == noMap) {
                        return;
                    }
                    const Index next = group(edge.after);
                    if (next == to) {
                        found = true;
                    } else if (seen_[next] != search_) {
                        seen_[next] = search_;
                        waiting.push_back(next);
                    }
                });
                if (found) {
                    return true;
                }
            }
        }
        return false;
    }
};

} // namespace

Chains chainsOf(const AxisOrder& order, std::size_t count) {
    Chains chains(count);
    for (const bool mutual : {true, false}) {
        order.forEachKeptEdge([&](const OrderEdge& edge) {
            if (edge.mutual == mutual) {
                chains.join(edge.before, edge.after);
            }
        });
    }
    return chains;
}

Groups groupsOf(const Chains& chains) {
    Groups groups;
    groups.of.assign(chains.next.size(), noMap);
    groups.members.reserve(chains.next.size());
    groups.firstMember.push_back(0);
    for (Index head = 0; head < chains.next.size(); ++head) {
        if (chains.previous[head] != noMap) {
            continue;
        }
        const Index group = groups.count();
        for (Index map = head; map != noMap; map = chains.next[map]) {
            groups.of[map] = group;
            groups.members.push_back(map);
        }
        groups.firstMember.push_back(static_cast<Index>(groups.members.size()));
    }
    return groups;
}

void keepGroupsInOrder(Chains& chains, const AxisOrder& chained, const AxisOrder& across) {
    const Groups groups = groupsOf(chains);
    std::vector<std::pair<Index, Index>> edges;
    across.forEachKeptEdge([&](const OrderEdge& edge) {
        edges.emplace_back(groups.of[edge.before], groups.of[edge.after]);
    });
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    const std::vector<Index> component =
        componentsOf(Adjacency<Index>(groups.count(), [&](auto add) {
            for (const auto& [from, to] : edges) {
                add(from, to);
            }
        }));

    // A knot: a component of more than one group, or a group that comes before itself.
    std::vector<Index> size(groups.count(), 0);
    std::vector<bool> knotted(groups.count(), false);
    for (Index group = 0; group < groups.count(); ++group) {
        ++size[component[group]];
    }
    for (const auto& [from, to] : edges) {
        knotted[component[from]] =
            knotted[component[from]] || from == to || size[component[from]] > 1;
    }
    std::vector<std::vector<Index>> knots(groups.count());
    for (Index map = 0; map < groups.of.size(); ++map) {
        const Index knot = component[groups.of[map]];
        if (knotted[knot]) {
            knots[knot].push_back(map);
        }
    }
    std::vector<Index> localOf(groups.of.size(), noMap);
    for (std::vector<Index>& maps : knots) {
        for (const Index map : maps) {
            if (chains.next[map] != noMap) {
                chains.part(map);
            }
        }
        if (!maps.empty() && maps.size() <= largestKnotToTie) {
            Knot(std::move(maps), localOf, across).tie(chains, chained);
        }
    }
}

} // namespace tovren
