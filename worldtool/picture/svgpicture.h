#pragma once

#include "world/world.h"

#include <iosfwd>

namespace tovren {

// The world as an SVG picture, region by region as it is laid out: each map a box with its name
// (the whole name in the box's title, which browsers show on hover), two-way links as lines,
// one-way links as arrows in a warning colour, links that are not straight with elbows along
// the gaps between the boxes, dangling links as a stub to a dashed box with the missing name,
// links cut where the world wraps around as a stub that leads on, named, unreadable files
// crossed out, and on the grid, maps without a cell of their own outlined in red and set apart
// below; then a legend, and the findings as text under the picture. Its look is the stylesheet
// picture.css, written into it; each map's box and each link carries the map's index in the
// world (data-map) and the link's direction (data-direction), for the editor's page.
void writeSvgPicture(const World& world, std::ostream& out);

} // namespace tovren
