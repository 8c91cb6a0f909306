#pragma once

#include "world/world.h"

#include <iosfwd>

namespace tovren {

// The world as an SVG picture, region by region on its grid: each map a box with its name (the
// whole name in the box's title, which browsers show on hover), two-way links as lines,
// one-way links as arrows in a warning colour, dangling links as a stub to a dashed box with
// the missing name, unreadable files crossed out, maps without a cell of their own outlined in
// red and set apart below; then a legend, and the findings as text under the picture.
void writeSvgPicture(const World& world, std::ostream& out);

} // namespace tovren
