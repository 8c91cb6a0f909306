#pragma once

#include <cstdint>
#include <limits>
#include <numeric>
#include <span>
#include <vector>

namespace tovren {

// A map, a row or a column, as an index: a world's graphs are numbered from 0.
using Index = std::uint32_t;
inline constexpr Index noMap = std::numeric_limits<Index>::max();

// The edges of a graph grouped by the node they leave, all in one array: the edges of node n
// lie from firstOf(n) to firstOf(n + 1). The layout's graphs (the links between maps, the order
// of rows and columns) are built once this way, then only walked, so that a world of many maps
// costs two arrays rather than a list per map.
template <typename Edge> class Adjacency {
public:
    Adjacency() : first_(1, 0) {}

    // `edges(add)` calls add(from, edge) for every edge. It is called twice, to count and then
    // to fill, and must give the same edges in the same order each time; each node keeps its
    // edges in that order.
    template <typename Edges> Adjacency(std::size_t nodes, Edges edges) : first_(nodes + 1, 0) {
        edges([&](std::size_t from, const Edge&) { ++first_[from + 1]; });
        std::partial_sum(first_.begin(), first_.end(), first_.begin());
        edges_.resize(first_.back());
        std::vector<Index> next(first_.begin(), first_.end() - 1);
        edges([&](std::size_t from, const Edge& edge) { edges_[next[from]++] = edge; });
    }

    std::size_t nodeCount() const { return first_.size() - 1; }
    Index firstOf(std::size_t node) const { return first_[node]; }

    std::span<const Edge> from(std::size_t node) const {
        return {edges_.data() + first_[node], edges_.data() + first_[node + 1]};
    }
    std::span<Edge> from(std::size_t node) {
        return {edges_.data() + first_[node], edges_.data() + first_[node + 1]};
    }
    bool anyFrom(std::size_t node) const { return first_[node] != first_[node + 1]; }

    // Every edge, by the node it leaves.
    const std::vector<Edge>& edges() const { return edges_; }
    std::vector<Edge>& edges() { return edges_; }

    // The same graph with each edge turned into another by `turn`.
    template <typename Turn> auto mapped(Turn turn) const {
        Adjacency<decltype(turn(edges_.front()))> turned;
        turned.first_ = first_;
        turned.edges_.reserve(edges_.size());
        for (const Edge& edge : edges_) {
            turned.edges_.push_back(turn(edge));
        }
        return turned;
    }

private:
    template <typename> friend class Adjacency;

    std::vector<Index> first_;
    std::vector<Edge> edges_;
};

} // namespace tovren
