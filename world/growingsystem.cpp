#include "world/growingsystem.h"

#include <algorithm>
#include <limits>

namespace tovren {

namespace {

constexpr std::uint32_t none = std::numeric_limits<std::uint32_t>::max();

} // namespace

GrowingSystem::GrowingSystem(std::vector<long long> values,
                             const std::vector<Difference>& constraints)
    : values_(std::move(values)), constraints_(constraints), firstLeaving_(values_.size(), none),
      nextLeaving_(constraints_.size(), none), raisedBy_(values_.size(), none),
      isWaiting_(values_.size(), false) {
    for (std::uint32_t index = 0; index < constraints_.size(); ++index) {
        nextLeaving_[index] = firstLeaving_[constraints_[index].from];
        firstLeaving_[constraints_[index].from] = index;
    }
}

void GrowingSystem::keep(const Difference& constraint) {
    const auto index = static_cast<std::uint32_t>(constraints_.size());
    constraints_.push_back(constraint);
    nextLeaving_.push_back(firstLeaving_[constraint.from]);
    firstLeaving_[constraint.from] = index;
}

bool GrowingSystem::tryAdd(const Difference& constraint, std::vector<std::uint32_t>* cycle,
                           std::size_t reach) {
    const auto newIndex = static_cast<std::uint32_t>(constraints_.size());
    if (values_[constraint.from] + constraint.gap <= values_[constraint.to]) {
        keep(constraint);
        return true;
    }
    // Raised first in, first out from `to`; raising `from` would close the cycle.
    raised_.clear();
    waiting_.clear();
    const auto raise = [&](std::uint32_t value, long long to, std::uint32_t by) {
        if (raisedBy_[value] == none) {
            raised_.emplace_back(value, values_[value]);
        }
        values_[value] = to;
        raisedBy_[value] = by;
        if (!isWaiting_[value]) {
            isWaiting_[value] = true;
            waiting_.push_back(value);
        }
    };
    raise(constraint.to, values_[constraint.from] + constraint.gap, newIndex);
    std::uint32_t closing = none;
    bool tooFar = false;
    for (std::size_t next = 0; next < waiting_.size() && closing == none && !tooFar; ++next) {
        if (raised_.size() > reach) {
            tooFar = true;
            break;
        }
        const std::uint32_t value = waiting_[next];
        isWaiting_[value] = false;
        for (std::uint32_t index = firstLeaving_[value]; index != none;
             index = nextLeaving_[index]) {
            const Difference& leading = constraints_[index];
            if (values_[value] + leading.gap > values_[leading.to]) {
                if (leading.to == constraint.from) {
                    closing = index;
                    break;
                }
                raise(leading.to, values_[value] + leading.gap, index);
            }
        }
    }
    if (closing != none && cycle != nullptr && !tooFar) {
        cycle->clear();
        cycle->push_back(closing);
        for (std::uint32_t value = constraints_[closing].from; value != constraint.to;
             value = constraints_[raisedBy_[value]].from) {
            cycle->push_back(raisedBy_[value]);
        }
        std::reverse(cycle->begin(), cycle->end());
        cycle->insert(cycle->begin(), newIndex);
    }
    for (const std::uint32_t value : waiting_) {
        isWaiting_[value] = false;
    }
    const bool refused = closing != none || tooFar;
    for (const auto& [value, was] : raised_) {
        if (refused) {
            values_[value] = was;
        }
        raisedBy_[value] = none;
    }
    if (refused) {
        if (cycle != nullptr && tooFar) {
            cycle->clear();
        }
        return false;
    }
    keep(constraint);
    return true;
}

} // namespace tovren
