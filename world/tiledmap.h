#pragma once

#include "world/world.h"

#include <optional>
#include <stdexcept>
#include <string>

namespace tovren {

// What a map's Tiled map gives for its size: the size, or why it gives none. Neither where the
// map is not orthogonal (isometric, staggered or hexagonal): its tiles do not meet its
// neighbours' edge to edge, so it is laid out as a map without a Tiled map.
struct TiledReading {
    std::optional<MapSize> size;
    std::optional<std::string> failure; // "Access denied: ...", "its width is 0", ...
};

// Reads a Tiled map, NAME.tmx (XML) or NAME.tmj (JSON) by its ending, only as far as its size
// needs: a finite map's size is in its first element, before the tiles that are most of its
// file; an infinite one's is the bounds of its layers' chunks, in tiles.
TiledReading readTiledMap(const std::string& path);

// Reads a Tiled map as readTiledMap does; none where no file of that path is there.
std::optional<TiledReading> readTiledMapIfThere(const std::string& path);

// Gives a map its Tiled map beside its link file: NAME.tmx where `json` is false, NAME.tmj where
// it is true, and where it is not known, the first of them that is there.
void findTiledMap(WorldMap& map, std::optional<bool> json = std::nullopt);

// What the two formats' readers find: the map's orientation and numbers as written, and for
// an infinite map the bounds of its chunks in tiles.
struct TiledNumber {
    bool given = false;
    std::optional<long long> value; // none where it is not a whole number that fits
    std::string text;               // as written, for telling
};

struct TiledHeader {
    std::string orientation = "orthogonal";
    TiledNumber width;
    TiledNumber height;
    TiledNumber tileWidth;
    TiledNumber tileHeight;
    bool infinite = false;
    bool anyChunk = false;
    long long chunkLeft = 0; // of all chunks together, in tiles
    long long chunkTop = 0;
    long long chunkRight = 0;
    long long chunkBottom = 0;

    void addChunk(long long x, long long y, long long chunkWidth, long long chunkHeight);
};

// A Tiled map whose header cannot be read, with the reason.
class TiledFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class FileReader;

// The header of a .tmx or .tmj file from its reader. Throw TiledFailure or FileFailure.
TiledHeader readTmxHeader(FileReader& file);
TiledHeader readTmjHeader(FileReader& file);

} // namespace tovren
