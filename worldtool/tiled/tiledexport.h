#pragma once

#include "world/world.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace tovren {

// How a world goes to Tiled: every map a Tiled map, named after it.
struct TiledExport {
    std::string worldFile;  // FILE.world
    long long mapWidth = 0; // pixels, of a map laid out by cells; 0 where none is
    long long mapHeight = 0;
    std::string mapSuffix = ".tmx";
};

// Writes a Tiled world file: each map at its place in pixels with its size where its region is
// laid out in pixels, else at its cell times the map size, the regions packed into rows with
// a map's size between; each map's file is its own Tiled map, or its name and the suffix,
// relative to the world file's folder. Maps without a cell of their own are left out.
void writeTiledWorld(const World& world, const TiledExport& how, std::ostream& out);

// The maps that cannot be laid out without lying: those without a cell of their own.
std::vector<std::string> unplacedMaps(const World& world);

// Whether some map to export is laid out by cells, so that it needs the map size.
bool needsMapSize(const World& world);

} // namespace tovren
