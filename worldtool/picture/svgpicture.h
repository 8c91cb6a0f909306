#pragma once

#include "world/worldtypes.h"

#include <iosfwd>

namespace tovren {

// The world as an SVG picture, region by region as it is laid out: each map a box with its name
// (the whole name in the box's title, which browsers show on hover), two-way links as lines,
// one-way links as arrows in a warning colour, links that are not straight with elbows along
// the gaps between the boxes, dangling links as a stub to a dashed box with the missing name,
// links cut where the world wraps around as a stub that leads on, named, unreadable files
// crossed out, and on the grid, maps without a cell of their own outlined in red and set apart
// below; then a legend, and the findings as text under the picture. A region laid out in pixels
// draws each map at its size, all at one scale that the legend tells, linked maps touching, each
// link a mark across the edge they share (a one-way link an arrow), and a link between maps that
// cannot touch a short elbow. Its look is the stylesheet picture.css, written into it in its
// <style>. Where everything lies is PictureGeometry's.
//
// The editor's page acts on the picture through these parts, and on nothing else of it:
// - the root <svg> carries its width and height, and data-box-width, data-box-height (the box
//   of a map laid out in cells, as a new map's box is) and data-pitch-x, data-pitch-y (the
//   distance between the boxes of two cells); each box's own size is in its <rect>;
// - each map's group, each link and each stub below is written whole on a line of its own,
//   inside <g class="links">\n ... </g>\n and <g class="maps">\n ... </g>\n, each on a line of
//   its own too, the maps in the order of their indices, so that the page can take the picture
//   apart by lines and draw only what is in view; the links come first, under the maps, but
//   where any map is drawn at its size the maps come first, and the links over them;
// - each map: <g class="map" data-map="I"> (I its index in World::maps, and in the "maps" of
//   the world's JSON), with " unreadable" or " unplaced" added to the class where that is so,
//   holding <title>, <rect class="box" x y width height> and <text class="name">; all of them
//   inside the one <g class="maps">;
// - each link between two maps, drawn once from the map with the smaller index where it leads
//   there and back: <path class="link both-ways|one-way|to-unreadable" data-map="I"
//   data-direction="up|down|left|right" d="...">, from the map I the way it leads; a link
//   with elbows comes after every straight one and stub, its line starting with its casing,
//   <path class="casing" d="..."> of the same d, which cuts a gap in what it crosses; a mark
//   across the edge two maps drawn at their sizes share has " mark" added to its class, and
//   lies inside their boxes;
// - a link to no link file: <g class="dangling" data-map data-direction> holding
//   <path class="stub" d="...">; a link cut where the world wraps around: <g class="wrap"
//   data-map data-direction> likewise;
// - every such d is a line through points, each stroke horizontal or vertical: "M" and the
//   first point, then " L" and each next point, a point written x,y in printf's %g, such as
//   "M180,168 L260,168 L260,298": the first point on the side the link leaves, the last on the
//   side it reaches (a mark's first inside the map it leaves, its last inside the one it
//   reaches);
// - the legend's parts carry no data-map: they stand for no map.
void writeSvgPicture(const World& world, std::ostream& out);

} // namespace tovren
