#pragma once

#include <array>
#include <string_view>

namespace tovren {

// The four ways out of a map, in the line order of its link file.
enum class Direction { Up, Down, Left, Right };

inline constexpr std::array<Direction, 4> allDirections{Direction::Up, Direction::Down,
                                                        Direction::Left, Direction::Right};

// The way back: a map reached going right leads back going left.
constexpr Direction opposite(Direction direction) {
    switch (direction) {
    case Direction::Up:
        return Direction::Down;
    case Direction::Down:
        return Direction::Up;
    case Direction::Left:
        return Direction::Right;
    case Direction::Right:
        break;
    }
    return Direction::Left;
}

// "up", "down", "left" or "right".
constexpr std::string_view directionName(Direction direction) {
    constexpr std::array<std::string_view, 4> names{"up", "down", "left", "right"};
    return names[static_cast<std::size_t>(direction)];
}

// The text of a link record (LinkRecord, const or not) for one direction: its line up, down,
// left or right.
template <typename Record> auto& textOf(Record& record, Direction direction) {
    switch (direction) {
    case Direction::Up:
        return record.up;
    case Direction::Down:
        return record.down;
    case Direction::Left:
        return record.left;
    case Direction::Right:
        break;
    }
    return record.right;
}

// One step in a direction on the grid of maps: going right is x + 1, going down is y + 1.
struct GridStep {
    int x;
    int y;
};
constexpr GridStep stepOf(Direction direction) {
    constexpr std::array<GridStep, 4> steps{{{0, -1}, {0, 1}, {-1, 0}, {1, 0}}};
    return steps[static_cast<std::size_t>(direction)];
}

} // namespace tovren
