#pragma once

#include "world/world.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tovren::testing {

// A world like a real game's: a large rectangle cut into rectangles of different sizes (a town
// 3 by 2, a route 1 by 4, ...), each a map, and rectangles that share an edge linked both ways,
// one neighbour per side as a link file holds. Its links never contradict one another.
struct Rectangle {
    long long left = 0;
    long long top = 0;
    long long width = 0;
    long long height = 0;
};

struct RectangleWorld {
    std::vector<WorldMap> maps;        // sorted by name, links and neighbours set, not placed
    std::vector<Rectangle> rectangles; // of each map
    std::vector<std::string> loop;     // with a loop: the maps of the row it closes, in order
};

// About `mapCount` maps (the rectangle is filled whole), named at random so that the order of
// the names says nothing of where the maps lie. With `loop`, one row of links that leads right
// is closed into a ring: its last map leads right to its first, which leads left to it.
RectangleWorld rectangleWorld(std::size_t mapCount, std::uint32_t seed, bool loop = false);

// Writes the world's link files into a folder, as Tovren saves them.
void writeLinkFiles(const RectangleWorld& world, const std::string& folder);

// One screen of a rectangle world in Tiled: 20 by 15 tiles of 16 pixels. Each map is its
// rectangle's size in screens.
inline constexpr MapSize screen{320, 240, 16, 16};

// Gives every map its rectangle's size as the size of its Tiled map, as reading it would.
void giveTiledSizes(RectangleWorld& world);

// Writes each map's Tiled map beside its link file, of its rectangle's size in tiles of one
// screen's, every tile the first of the tileset `tileset` (a file name beside them, or none):
// NAME.tmx, or for every `jsonEvery`-th map by name NAME.tmj (0: none).
void writeTiledMaps(const RectangleWorld& world, const std::string& folder,
                    std::size_t jsonEvery = 0, const std::string& tileset = {});

// How well a laid-out world keeps its rectangles' geometry.
struct LayoutQuality {
    std::size_t links = 0;         // pairs of maps linked, counted once
    std::size_t straightLinks = 0; // of those, the straight ones (on one row or column, clear)
    std::size_t pairs = 0;         // pairs of maps
    std::size_t pairsInOrder = 0;  // whose order on the picture is their rectangles' order
};

// A pair is in order where, on each axis on which one rectangle lies wholly before the other,
// its map's cell (or place in pixels, where it has one) lies before the other's too; where the
// rectangles overlap on an axis, any order will do there.
LayoutQuality layoutQuality(const RectangleWorld& world, const std::vector<WorldMap>& placed);

} // namespace tovren::testing
