#pragma once

#include "worldtool/picture/geometry.h"

#include <optional>
#include <vector>

namespace tovren {

// The picture of a world in which some region is laid out in pixels (pixellayout.h): each of
// that region's maps drawn at its size, so that maps that touch on the picture touch in the
// world, at one scale for the whole picture, so that a map twice as wide as another is drawn
// twice as wide wherever both lie. A link between maps that touch is a mark across the edge
// they share; one between maps that do not (a loop that cannot close) a short elbow between
// their facing sides.

// The scale, picture units to the maps' pixels: the least at which every map drawn at its size
// holds the box of a map laid out in cells (boxWidth by boxHeight), so that the smallest map's
// name reads as well as on a picture in cells; but never so large that the largest map's box is
// longer than `longestBox` on either side. 0 where no map has a place in pixels.
inline constexpr double longestBox = 4000;
double scaleOfSizes(const World& world);

// The room the regions take, from the top left of the first, and after the last column and row
// as much as a grid of cells leaves.
struct Room {
    double width = 0;
    double height = 0;
};

// Places the box of every map that has a cell, the regions packed into rows toward a picture 16
// wide for 10 high from `origin`, in the picture's units: a region laid out in cells as on a
// picture in cells, one laid out in pixels with its maps' boxes at `scale`. Edges fall on whole
// units, rounded from the maps' own, so that maps that touch still touch and none overlap.
Room placeAtSizes(const World& world, double scale, Point origin, std::vector<Rect>& boxes);

// A link from box `from` the way `direction` leads to box `to`, where the two touch: a stroke of
// twice `markReach` across the edge they share, in the middle of what they share of it, from
// `from` to `to`. None where they do not touch there.
inline constexpr double markReach = 8;
std::optional<std::vector<Point>> markAcross(const Rect& from, Direction direction, const Rect& to);

// A link between boxes that do not touch, from `exit` on the side of `from` it leaves to `entry`
// on the facing side of `to`: where `to` lies ahead, through the middle of the gap between the
// two sides; else out of `from` by `elbowReach`, across between the boxes, and into `to` from
// before its side.
inline constexpr double elbowReach = 12;
std::vector<Point> shortElbow(const Rect& from, Point exit, Direction direction, const Rect& to,
                              Point entry);

} // namespace tovren
