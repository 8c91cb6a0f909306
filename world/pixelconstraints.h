#pragma once

#include "world/differencesystem.h"
#include "world/pixelboxes.h"

#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

namespace tovren {

// What each constraint of one axis stands for. A link asks Along (the map after lies at least
// the size of the one before on: its direction) and Back (no further: they touch) on its own
// axis, and Overlap, two of them, on the other; where they can, its maps overlap by a Unit
// there. Separate keeps two maps side by side in their order on this axis, Loose too where
// they overlap already.
enum class Kind : unsigned char { Along, Back, Overlap, Unit, Separate, Loose };

struct PixelSystem {
    std::vector<Difference> constraints;
    std::vector<Kind> kinds;
    std::vector<std::uint32_t> links; // of the links' constraints

    // A constraint that no longer holds: no value is ever raised by it.
    static constexpr long long given = DifferenceSystem::given;

    void add(std::uint32_t from, std::uint32_t to, long long gap, Kind kind,
             std::uint32_t link = 0) {
        constraints.push_back({from, to, gap});
        kinds.push_back(kind);
        links.push_back(link);
    }
    bool holds(std::size_t at) const { return constraints[at].gap > given; }
};

// For each link that asks its maps to overlap on the axis, that they overlap by a Unit: the
// greatest common divisor of the sizes of its region's maps on the axis, as a world of screens
// has it, where both maps are that large.
void addUnits(PixelSystem& system, const PixelWorld& world, int axis);
// What each link still asks on the axis.
void addLinks(PixelSystem& system, const PixelWorld& world, int axis);

// Every two maps of a region whose spans on the other axis overlap at `other` keep the order of
// their middles at `along` on this one, as `kind`, or `overlappingKind` where they overlap there
// too: a sweep in that order keeps, along the other axis, the map met last there, and each map
// is kept after the nearest before it on each part of its span, which keeps it after all of them.
void addApart(PixelSystem& system, const PixelWorld& world, int axis,
              const std::vector<long long>& other, const std::vector<long long>& along, Kind kind,
              Kind overlappingKind);

// The pairs of maps of a region that overlap at x, y.
std::vector<std::pair<std::uint32_t, std::uint32_t>> overlapping(const PixelWorld& world,
                                                                 const std::vector<long long>& x,
                                                                 const std::vector<long long>& y);

// The boxes in the order of their cells along an axis, then across it.
std::vector<std::uint32_t> inCellOrder(const PixelWorld& world, int axis);

} // namespace tovren
