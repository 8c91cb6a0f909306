#pragma once

#include "worldtool/picture/geometry.h"

#include <cstddef>
#include <string>
#include <vector>

namespace tovren {

// Text as XML character data or an attribute value: the five special characters escaped, and
// control characters, which XML cannot hold, shown as \xNN.
std::string xml(const std::string& text);

// A length or a place as the picture writes it: printf's %g, "140", "42.5".
std::string number(double value);

// The name cut to so many characters, the last of them an ellipsis.
std::string shortened(const std::string& name, std::size_t characters);

// How many characters a text of UTF-8 holds.
std::size_t characters(const std::string& text);

// Points as the d of an SVG path, a line through them: "M" and the first point, then " L" and
// each next point, a point written as x,y, as number() writes them: "M180,168 L260,168".
std::string pathThrough(const std::vector<Point>& points);

} // namespace tovren
