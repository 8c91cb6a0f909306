#pragma once

#include <cstdint>
#include <vector>

namespace tovren {

// One constraint of a system of differences: value[to] >= value[from] + gap.
struct Difference {
    std::uint32_t from = 0;
    std::uint32_t to = 0;
    long long gap = 0;
};

// A system of difference constraints over values 0 to n - 1, solved as longest paths: each
// constraint is an edge from `from` to `to` of length `gap`, and the least values that meet
// every constraint, none below where it starts, are the longest paths into each value. A cycle
// of edges whose lengths sum to more than zero asks a value to lie beyond itself: the system has
// no solution, and that cycle is what contradicts.
//
// How: Bellman and Ford's relaxation in sweeps, forwards over the values in a given order with
// the edges that lead forwards in it, then backwards with the others (Yen's ordering), so that
// a system whose edges mostly follow the order settles in a few sweeps; the values are numbered
// in that order and the edges kept in it, so that a sweep reads memory in order. After each
// sweep the edges that last raised each value are walked: a cycle among them always sums to
// more than zero, and a system with such a cycle soon shows one there.
class DifferenceSystem {
public:
    // `order` lists every value once; the sweeps follow it.
    DifferenceSystem(const std::vector<Difference>& constraints,
                     const std::vector<std::uint32_t>& order);

    // A constraint whose gap is this low or lower no longer holds.
    static constexpr long long given = -(1LL << 60);

    // Raises `values` as little as meets every constraint. Each cycle that sums to more than
    // zero is handed, as the constraints it is made of by index, in the order they follow one
    // another, to `unmeetable`, which returns the constraints (one of the cycle's at least) that
    // no longer hold from then on. Cycles are found several at a time: those among the values'
    // raisers never share a value.
    template <typename Unmeetable>
    void raise(std::vector<long long>& values, Unmeetable unmeetable) {
        std::vector<long long> at(order_.size());
        for (std::size_t place = 0; place < order_.size(); ++place) {
            at[place] = values[order_[place]];
        }
        std::vector<std::uint32_t> raisedBy(order_.size(), none);
        while (sweep(at, raisedBy)) {
            for (std::vector<std::uint32_t>& cycle : cyclesAmongRaisers(raisedBy)) {
                for (const std::uint32_t edge : cycle) {
                    raisedBy[to_[edge]] = none;
                }
                std::vector<std::uint32_t> constraints(cycle.size());
                for (std::size_t step = 0; step < cycle.size(); ++step) {
                    constraints[step] = index_[cycle[step]];
                }
                for (const std::uint32_t given : unmeetable(std::move(constraints))) {
                    gap_[edgeOf_[given]] = DifferenceSystem::given;
                }
            }
        }
        for (std::size_t place = 0; place < order_.size(); ++place) {
            values[order_[place]] = at[place];
        }
    }

private:
    static constexpr std::uint32_t none = 0xFFFFFFFFU;

    std::vector<std::uint32_t> order_; // the value at each place
    // The edges between places, by their first place: those that lead forwards, then those
    // that lead backwards; each edge's constraint, and the edge of each constraint.
    std::vector<std::uint32_t> from_;
    std::vector<std::uint32_t> to_;
    std::vector<long long> gap_;
    std::vector<std::uint32_t> index_;
    std::vector<std::uint32_t> edgeOf_;

    // One sweep forwards and one backwards; whether any value rose.
    bool sweep(std::vector<long long>& at, std::vector<std::uint32_t>& raisedBy) const;
    std::vector<std::vector<std::uint32_t>>
    cyclesAmongRaisers(const std::vector<std::uint32_t>& raisedBy) const;
};

} // namespace tovren
