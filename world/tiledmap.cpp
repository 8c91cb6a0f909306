#include "world/tiledmap.h"

#include "linkstore/filefailure.h"
#include "world/hostfile.h"
#include "world/hostfolder.h"

#include <algorithm>

namespace tovren {

namespace {

// Larger maps than this are not laid out: 65,536 tiles of 1,024 pixels a side, far beyond any
// game's map, and small enough that the sums of a world's sizes never overflow.
constexpr long long largestSide = 1LL << 26;

bool endsWith(const std::string& text, const char* ending) {
    const std::string end(ending);
    return text.size() >= end.size() &&
           std::equal(end.rbegin(), end.rend(), text.rbegin(), [](char a, char b) {
               return a == (b >= 'A' && b <= 'Z' ? static_cast<char>(b - 'A' + 'a') : b);
           });
}

long long positive(const TiledNumber& number, const char* name) {
    if (!number.given) {
        throw TiledFailure(std::string("it gives no ") + name);
    }
    if (!number.value) {
        throw TiledFailure(std::string("its ") + name +
                           " is not a whole number of tiles: " + number.text);
    }
    if (*number.value <= 0) {
        throw TiledFailure(std::string("its ") + name + " is " + number.text);
    }
    return *number.value;
}

long long side(long long tiles, long long tileSize, const char* across) {
    if (tiles > largestSide / tileSize) {
        throw TiledFailure("it is larger than " + std::to_string(largestSide) + " pixels " +
                           across);
    }
    return tiles * tileSize;
}

MapSize sizeOf(const TiledHeader& header) {
    MapSize size;
    size.tileWidth = positive(header.tileWidth, "tilewidth");
    size.tileHeight = positive(header.tileHeight, "tileheight");
    if (header.infinite) {
        if (!header.anyChunk) {
            throw TiledFailure("it is infinite and holds no chunk of tiles");
        }
        size.width = side(header.chunkRight - header.chunkLeft, size.tileWidth, "across");
        size.height = side(header.chunkBottom - header.chunkTop, size.tileHeight, "down");
    } else {
        size.width = side(positive(header.width, "width"), size.tileWidth, "across");
        size.height = side(positive(header.height, "height"), size.tileHeight, "down");
    }
    return size;
}

// Reads an open Tiled map: its size, or why it gives none.
TiledReading readFrom(FileReader& file, const std::string& path) {
    TiledReading reading;
    try {
        const TiledHeader header =
            endsWith(path, ".tmj") ? readTmjHeader(file) : readTmxHeader(file);
        if (header.orientation == "orthogonal") {
            reading.size = sizeOf(header);
        }
    } catch (const FileFailure& failure) {
        reading.failure = failure.description();
    } catch (const TiledFailure& failure) {
        reading.failure = shownName(path) + ": " + failure.what();
    }
    return reading;
}

} // namespace

void TiledHeader::addChunk(long long x, long long y, long long chunkWidth, long long chunkHeight) {
    if (chunkWidth <= 0 || chunkHeight <= 0 || chunkWidth > largestSide ||
        chunkHeight > largestSide || x < -largestSide || x > largestSide || y < -largestSide ||
        y > largestSide) {
        throw TiledFailure("it holds a chunk at " + std::to_string(x) + ", " + std::to_string(y) +
                           " of " + std::to_string(chunkWidth) + " by " +
                           std::to_string(chunkHeight) + " tiles");
    }
    chunkLeft = anyChunk ? std::min(chunkLeft, x) : x;
    chunkTop = anyChunk ? std::min(chunkTop, y) : y;
    chunkRight = anyChunk ? std::max(chunkRight, x + chunkWidth) : x + chunkWidth;
    chunkBottom = anyChunk ? std::max(chunkBottom, y + chunkHeight) : y + chunkHeight;
    anyChunk = true;
}

TiledReading readTiledMap(const std::string& path) {
    TiledReading reading;
    try {
        FileReader file(path);
        return readFrom(file, path);
    } catch (const FileFailure& failure) {
        reading.failure = failure.description();
    }
    return reading;
}

std::optional<TiledReading> readTiledMapIfThere(const std::string& path) {
    try {
        FileReader file(path);
        return readFrom(file, path);
    } catch (const FileFailure& failure) {
        using Kind = FileFailure::Kind;
        if (failure.kind() == Kind::FileNotFound || failure.kind() == Kind::PathNotFound ||
            failure.kind() == Kind::BadFileName) {
            return std::nullopt;
        }
        return TiledReading{std::nullopt, failure.description()};
    }
}

void findTiledMap(WorldMap& map, std::optional<bool> json) {
    constexpr std::size_t linkEnding = 5; // ".link"
    const std::string stem = map.path.substr(0, map.path.size() - linkEnding);
    for (const bool tmj : {false, true}) {
        if (json && *json != tmj) {
            continue;
        }
        const std::string path = stem + (tmj ? ".tmj" : ".tmx");
        if (std::optional<TiledReading> reading = readTiledMapIfThere(path)) {
            map.tiledPath = path;
            map.tiledSize = reading->size;
            map.tiledFailure = std::move(reading->failure);
            return;
        }
    }
}

} // namespace tovren
