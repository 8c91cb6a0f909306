#pragma once

#include "world/world.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace tovren {

// How a world goes to Tiled: every map a Tiled map of one size, named after it.
struct TiledExport {
    std::string worldFile;  // FILE.world
    long long mapWidth = 0; // pixels
    long long mapHeight = 0;
    std::string mapSuffix = ".tmx";
};

// Writes a Tiled world file: each map at its cell times the map size, regions side by side with
// one empty column between, each map's file named by its name and the suffix, relative to the
// world file's folder. Maps without a cell of their own are left out.
void writeTiledWorld(const World& world, const TiledExport& how, std::ostream& out);

// The maps that cannot be laid out without lying: those without a cell of their own.
std::vector<std::string> unplacedMaps(const World& world);

} // namespace tovren
