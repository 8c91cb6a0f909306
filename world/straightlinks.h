#pragma once

#include "world/worldtypes.h"

#include <cstddef>
#include <tuple>
#include <vector>

namespace tovren {

// Whether a map's link to another keeps its direction on the picture (B right of A where A
// leads right to B, and so on): every link does but those cut where the world wraps around.
bool keepsItsDirection(Cell from, Direction direction, Cell to);

// Which links of a laid-out world run straight: a link right or left between two maps of one
// row, or up or down between two of one column, the way it leads, with no other map's cell
// between them. The others are drawn with elbows.
class StraightLinks {
public:
    explicit StraightLinks(const std::vector<WorldMap>& maps);

    bool isStraight(std::size_t from, Direction direction) const;

private:
    const std::vector<WorldMap>& maps_;
    // Every placed map as (region, row, x) and (region, column, y), sorted.
    std::vector<std::tuple<std::size_t, long long, long long>> byRow_;
    std::vector<std::tuple<std::size_t, long long, long long>> byColumn_;
};

} // namespace tovren
