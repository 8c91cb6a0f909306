#pragma once

#include "world/straightlinks.h"
#include "world/worldtypes.h"

#include <cstddef>
#include <vector>

namespace tovren {

// Sizes in pixels: a map's box, the distance between the boxes of two cells, the margins.
inline constexpr int boxWidth = 140;
inline constexpr int boxHeight = 56;
inline constexpr int pitchX = 220;
inline constexpr int pitchY = 130;
inline constexpr int margin = 40;
inline constexpr int legendHeight = 100;
inline constexpr int lineHeight = 18;

struct Point {
    double x = 0;
    double y = 0;
};

// A link to no link file: a short line out of a map's side into a dashed box, centred on
// `centre`, that holds the text.
struct DanglingStub {
    static constexpr double width = 104;
    static constexpr double height = 22;
    Point from;
    Point to;
    Point centre;
};

// A link cut where the world wraps around: a line leading on out of a map's side, and the name
// of where it leads beside its end, anchored "start", "middle" or "end".
struct AroundStub {
    Point from;
    Point to;
    Point label;
    const char* anchor = "middle";
};

// Where everything of the world's picture lies, apart from how it is written: under the legend,
// the regions side by side on a grid of cells, each map's box in its cell; on the grid, the maps
// without a cell of their own in rows below; then the findings, a line each.
class PictureGeometry {
public:
    explicit PictureGeometry(const World& world);

    double width() const { return width_; }
    double height() const { return height_; }
    double unplacedTop() const { return unplacedTop_; } // of the first row of maps without a cell
    double findingsTop() const { return findingsTop_; }
    const std::vector<std::size_t>& unplaced() const { return unplaced_; }

    // The top-left corner of a map's box, and the middle of one of its sides.
    Point corner(std::size_t map) const { return corners_[map]; }
    Point side(std::size_t map, Direction direction) const;

    // The points a link from one map's side to the facing side of another runs through: two
    // where the link is straight, else an elbow along the gaps between the boxes, never across a
    // box, each stroke horizontal or vertical.
    std::vector<Point> linkPoints(std::size_t from, Direction direction, std::size_t to) const;

    DanglingStub dangling(std::size_t map, Direction direction) const;
    AroundStub around(std::size_t map, Direction direction) const;

private:
    const StraightLinks straight_;
    std::vector<Point> corners_;
    std::vector<std::size_t> unplaced_;
    double unplacedTop_ = 0;
    double findingsTop_ = 0;
    double width_ = 0;
    double height_ = 0;

    std::vector<Point> elbow(std::size_t from, Direction direction, std::size_t to) const;
};

} // namespace tovren
