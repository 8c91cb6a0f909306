#pragma once

#include "world/adjacency.h"
#include "world/worldtypes.h"

#include <cstdint>
#include <vector>

namespace tovren {

// The two ways the picture runs: across (x, the way links right and left lead) and down (y, the
// way links down and up lead).
enum class Axis { Across, Down };

// What the links of a world say along one axis: that one map comes before another (left of it,
// or above it). A link right from A to B and a link left from B to A say the same; each pair of
// maps is told once.
struct OrderEdge {
    std::uint32_t before = 0;
    std::uint32_t after = 0;
    bool mutual = false; // both maps say so: A leads to B and B leads back
    bool cut = false;    // left out to open a loop: the world wraps around here
};

struct AxisOrder {
    Adjacency<OrderEdge> edges; // by before, then after

    template <typename Action> void forEachKeptEdge(Action action) const {
        for (const OrderEdge& edge : edges.edges()) {
            if (!edge.cut) {
                action(edge);
            }
        }
    }
    template <typename Action> void forEachKeptEdgeOf(Index map, Action action) const {
        for (const OrderEdge& edge : edges.from(map)) {
            if (!edge.cut) {
                action(edge);
            }
        }
    }
};

// The order along one axis from every link between two different maps. Where the order runs in
// a loop (going right from A through B and C leads back to A), one link of the loop is cut, so
// that what is kept is an order every map can be placed by, and a wrap warning names the loop.
// The links cut are the back edges of a depth-first walk from each loop's first map by name,
// in name order: the same for every listing of the folder.
AxisOrder orderAlong(const std::vector<WorldMap>& maps, Axis axis, std::vector<Finding>& wraps);

// The strongly connected components of a graph whose edges are the nodes they lead to: each
// node's component, numbered in the order Tarjan's algorithm completes them.
std::vector<Index> componentsOf(const Adjacency<Index>& graph);

} // namespace tovren
