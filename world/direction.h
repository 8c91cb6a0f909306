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

} // namespace tovren
