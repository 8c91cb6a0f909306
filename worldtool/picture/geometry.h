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
// The longest names written, in characters, the last of them an ellipsis: in a map's box, and
// by a stub.
inline constexpr std::size_t longestBoxName = 18;
inline constexpr std::size_t longestStubName = 12;

struct Point {
    double x = 0;
    double y = 0;
};

// A map's box on the picture: its top left, width and height.
struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
};

// A link's axis: across (left or right) or down (up or down). The parts of a point along it (a)
// and across it (b), and back; a box's start and extent along either.
constexpr bool isAcross(Direction direction) {
    return direction == Direction::Left || direction == Direction::Right;
}
inline double along(bool across, Point p) {
    return across ? p.x : p.y;
}
inline double beside(bool across, Point p) {
    return across ? p.y : p.x;
}
inline Point pointOf(bool across, double a, double b) {
    return across ? Point{a, b} : Point{b, a};
}
inline double startOf(bool across, const Rect& box) {
    return across ? box.x : box.y;
}
inline double extentOf(bool across, const Rect& box) {
    return across ? box.width : box.height;
}

// A link as the picture draws it: a line through `points`, each stroke horizontal or vertical,
// the first point on the side of the map it leaves, the last where it ends. A straight link and
// an elbow end on the facing side of the map they lead to (`target`); between maps laid out in
// cells an elbow runs along the gaps between the boxes, never across a box; between maps drawn
// at their sizes, which do not touch, it is short and may cross boxes. A mark is a link between
// maps drawn at their sizes that touch: a short stroke across the edge they share, from inside
// the one to inside the other. A dangling link (to no link file) is a short
// stroke into a dashed box around `label`; a link cut where the world wraps around (`target`
// the map it leads to) a stroke leading on out of the map, with the name of where it leads at
// `label`, anchored "start", "middle" or "end".
struct LinkShape {
    enum class Kind { Straight, Elbow, Dangling, Around, Mark };
    static constexpr double danglingWidth = 104;
    static constexpr double danglingHeight = 22;

    Kind kind = Kind::Straight;
    std::size_t map = 0;
    Direction direction = Direction::Up;
    std::size_t target = 0;
    std::vector<Point> points;
    Point label;
    const char* anchor = "middle";
};

// Where everything of the world's picture lies, apart from how it is written: under the legend,
// the regions side by side on a grid of cells, each map's box in its cell; on the grid, the maps
// without a cell of their own in rows below; then the findings, a line each. Where any region is
// laid out in pixels, each of its maps is drawn at its size, all at one scale (sizedpicture.h),
// and the regions are packed into rows in the picture's units instead. Every part lies
// inside the picture, and under the legend: where a stub or its name would reach out of it,
// everything moves over.
//
// Every link is drawn once (a link that leads there and back from the map of the smaller
// index), and no two on top of one another: where several meet one side of a box they meet it
// at ports of their own, and an elbow's strokes along a gap run in lanes of their own
// (linkrouting.h). Elbows are drawn last, over a casing of the picture's background, so that
// where one crosses another link that link shows a small gap.
class PictureGeometry {
public:
    explicit PictureGeometry(const World& world);

    double width() const { return width_; }
    double height() const { return height_; }
    double unplacedTop() const { return unplacedTop_; } // of the first row of maps without a cell
    double findingsTop() const { return findingsTop_; }
    const std::vector<std::size_t>& unplaced() const { return unplaced_; }

    // A map's box, and its top-left corner.
    const Rect& box(std::size_t map) const { return boxes_[map]; }
    Point corner(std::size_t map) const { return {boxes_[map].x, boxes_[map].y}; }

    // The scale of the maps drawn at their sizes, picture units to their pixels; 0 where every
    // region is laid out in cells.
    double scale() const { return scale_; }

    // Every link drawn: straight links and stubs first, then the elbows.
    const std::vector<LinkShape>& links() const { return links_; }

private:
    std::vector<Rect> boxes_;
    std::vector<std::size_t> unplaced_;
    std::vector<LinkShape> links_;
    double unplacedTop_ = 0;
    double findingsTop_ = 0;
    double width_ = 0;
    double height_ = 0;
    double scale_ = 0;

    void placeMaps(const World& world);
    void route(const World& world);
    void keepInside(const World& world);
    Point side(std::size_t map, Direction direction, double port = 0) const;
};

} // namespace tovren
