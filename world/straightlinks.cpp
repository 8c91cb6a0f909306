#include "world/straightlinks.h"

#include <algorithm>

namespace tovren {

bool keepsItsDirection(Cell from, Direction direction, Cell to) {
    switch (direction) {
    case Direction::Up:
        return to.y < from.y;
    case Direction::Down:
        return to.y > from.y;
    case Direction::Left:
        return to.x < from.x;
    case Direction::Right:
        break;
    }
    return to.x > from.x;
}

StraightLinks::StraightLinks(const std::vector<WorldMap>& maps) : maps_(maps) {
    for (const WorldMap& map : maps) {
        if (map.cell) {
            byRow_.emplace_back(map.region, map.cell->y, map.cell->x);
            byColumn_.emplace_back(map.region, map.cell->x, map.cell->y);
        }
    }
    std::sort(byRow_.begin(), byRow_.end());
    std::sort(byColumn_.begin(), byColumn_.end());
}

bool StraightLinks::isStraight(std::size_t from, Direction direction) const {
    const std::optional<std::size_t> to = maps_[from].neighbour(direction);
    if (!to || *to == from || !maps_[from].cell || !maps_[*to].cell) {
        return false;
    }
    const Cell a = *maps_[from].cell;
    const Cell b = *maps_[*to].cell;
    if (!keepsItsDirection(a, direction, b)) {
        return false;
    }
    const bool across = direction == Direction::Left || direction == Direction::Right;
    if (across ? a.y != b.y : a.x != b.x) {
        return false;
    }
    // Nothing strictly between the two along the row or column.
    const auto& line = across ? byRow_ : byColumn_;
    const long long lane = across ? a.y : a.x;
    const long long low = std::min(across ? a.x : a.y, across ? b.x : b.y);
    const long long high = std::max(across ? a.x : a.y, across ? b.x : b.y);
    const auto next =
        std::upper_bound(line.begin(), line.end(), std::tuple(maps_[from].region, lane, low));
    return next == line.end() || *next >= std::tuple(maps_[from].region, lane, high);
}

} // namespace tovren
