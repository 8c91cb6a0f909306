#pragma once

#include "world/differencesystem.h"

#include <cstdint>
#include <limits>
#include <vector>

namespace tovren {

// A system of difference constraints that grows one constraint at a time and always has
// values that meet all of them. A constraint value[to] >= value[from] + gap is taken only where
// the system can still be met with it: `to` is raised, and whatever it leads to after it, as
// little as that needs; if that would raise `from` itself, the new constraint closes a cycle that
// sums to more than zero, and everything is left as it was. The work is in what the constraint
// moves, which for a constraint that already holds is nothing.
class GrowingSystem {
public:
    // Values that meet the constraints, which must hold.
    GrowingSystem(std::vector<long long> values, const std::vector<Difference>& constraints);

    // Takes the constraint if it can be met with the others. Where it cannot, and `cycle` is
    // given, sets it to the constraints of the cycle it would close, by index, the new one
    // (which is not kept) as constraints().size().
    // With `reach`, a constraint that would raise more values than that is not taken either.
    bool tryAdd(const Difference& constraint, std::vector<std::uint32_t>* cycle = nullptr,
                std::size_t reach = std::numeric_limits<std::size_t>::max());

    // Lets a constraint go; the values still meet the others.
    void remove(std::uint32_t index) { constraints_[index].gap = DifferenceSystem::given; }

    const std::vector<long long>& values() const { return values_; }
    const std::vector<Difference>& constraints() const { return constraints_; }

private:
    std::vector<long long> values_;
    std::vector<Difference> constraints_;
    // Each value's constraints as a list through the constraints: the first, then each one's next.
    std::vector<std::uint32_t> firstLeaving_;
    std::vector<std::uint32_t> nextLeaving_;
    // What a growth raised, to be put back if it fails, and by which constraint.
    std::vector<std::pair<std::uint32_t, long long>> raised_;
    std::vector<std::uint32_t> raisedBy_;
    std::vector<std::uint32_t> waiting_;
    std::vector<bool> isWaiting_;

    void keep(const Difference& constraint);
};

} // namespace tovren
