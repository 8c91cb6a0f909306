#pragma once

#include "../linkstore/filefailure.h"
#include "../linkstore/linkrecord.h"
#include "direction.h"
#include "worldapi.h"

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// The world as the library hands it out: its maps with their links, cells and regions, and
// what is wrong with it. readWorld (world.h) reads it from a folder.
namespace tovren {

// A place on the picture of the world, counted in cells: right is x + 1, down is y + 1.
struct Cell {
    long long x = 0;
    long long y = 0;
    bool operator==(const Cell&) const = default;
};

// A map's size in pixels, and the size of the tiles it is made of, as its Tiled map gives them.
struct MapSize {
    long long width = 0;
    long long height = 0;
    long long tileWidth = 0;
    long long tileHeight = 0;
    bool operator==(const MapSize&) const = default;
};

// A place on the picture in pixels: right is x + 1, down is y + 1.
struct Position {
    long long x = 0;
    long long y = 0;
    bool operator==(const Position&) const = default;
};

// A link file that a merge left with git's conflict markers in its record: the lines the
// markers span, counted from 1, and the record each side would give, made of the lines outside
// the conflicts and that side's lines within them (none where that side has fewer than four
// lines). Its four fields as the store loads them (`loaded`, markers and all) are not links, and
// are not followed; a save that resolves the merge expects them.
struct UnresolvedMerge {
    std::size_t firstLine = 0;
    std::size_t lastLine = 0;
    std::optional<LinkRecord> ours;
    std::optional<LinkRecord> theirs;
    LinkRecord loaded;

    bool operator==(const UnresolvedMerge&) const = default;
};

// One map of the world: a link file of the folder, or one outside it that a link reaches.
struct WorldMap {
    std::string name;                   // as typed into Tovren's map name field, UTF-8 for showing
    std::string linkText;               // what a neighbour field holds to lead here
    std::string path;                   // of its link file
    std::optional<LinkRecord> links;    // none when the file cannot be loaded
    std::optional<FileFailure> failure; // why it cannot
    // A merge left unresolved in its record: then `links` is none, as its fields are not links.
    // Held apart, as few maps have one and a world holds many maps.
    std::shared_ptr<const UnresolvedMerge> unresolvedMerge;
    // The map each direction leads to, as an index into World::maps; none where the text is
    // empty or names no link file.
    std::array<std::optional<std::size_t>, 4> neighbours;
    std::optional<Cell> cell; // none where the grid gives it no cell of its own
    std::size_t region = 0;   // counted from 1; maps joined by links, directly or not, share one
    // Its Tiled map, NAME.tmx or else NAME.tmj beside the link file: the path (empty without
    // one), the size it gives (none for a map that is not orthogonal), or why it cannot be read.
    std::string tiledPath;
    std::optional<MapSize> tiledSize;
    std::optional<std::string> tiledFailure;
    // Its size as laid out: its Tiled map's; in a region laid out in pixels, a map without one
    // takes the most common size of the region's maps. None where neither gives one.
    std::optional<MapSize> size;
    // Its top left in pixels, counted from 0, 0 at its region's top left; none in a region laid
    // out in cells, where no map has a size.
    std::optional<Position> position;

    // The neighbour text of one direction; empty when the file cannot be loaded.
    const std::string& text(Direction direction) const {
        static const std::string none;
        return links ? textOf(*links, direction) : none;
    }
    std::optional<std::size_t> neighbour(Direction direction) const {
        return neighbours[static_cast<std::size_t>(direction)];
    }
};

enum class FindingKind { OneWay, Dangling, Unreadable, Wrap, Overlap, Conflict, Misaligned };
enum class Severity { Error, Warning };

// Something wrong with the world, for people: the map it is about, the direction and the
// neighbour text where it has them, and a sentence.
struct Finding {
    FindingKind kind;
    std::string map;
    std::optional<Direction> direction;
    std::optional<std::string> target;
    std::string message;
    // Dangling: the map whose name differs from the target only in letter case or in blanks
    // around it, which the message asks about.
    std::optional<std::string> suggestion = std::nullopt;

    Severity severity() const {
        return kind == FindingKind::Overlap || kind == FindingKind::Wrap ||
                       kind == FindingKind::Misaligned
                   ? Severity::Warning
                   : Severity::Error;
    }
};

// How the maps are laid out on the picture.
// - ByDirection: a link says on which side a map lies, not how far: where A leads right to B,
//   B's cell is right of A's (x greater), and so on; every map of a region gets a cell of its
//   own, as many links as can be are straight, and only a loop of links that leads back to
//   where it started (a world that wraps around) is cut, and told as a wrap. A region in which
//   any map has a size is laid out in pixels as well: linked maps touch, no two overlap, and a
//   loop whose maps' sizes do not let it close is told as misaligned.
// - Grid: every map is one screen of one size, so each link is one step: right is x + 1, down
//   y + 1, from the first map of each region by name at 0, 0. Maps that would fall on one cell,
//   or need two, get no cell and are told as overlaps.
enum class LayoutRule { ByDirection, Grid };

struct World {
    std::string folder;            // absolute, UTF-8 for showing
    std::vector<WorldMap> maps;    // sorted by name
    std::vector<Finding> findings; // errors first, then by map name and up, down, left, right
    std::size_t regionCount = 0;
    LayoutRule layout = LayoutRule::ByDirection;

    std::size_t count(Severity severity) const {
        std::size_t counted = 0;
        for (const Finding& finding : findings) {
            counted += finding.severity() == severity ? 1 : 0;
        }
        return counted;
    }
};

// The folder itself cannot be listed: it does not exist, is a file, or may not be read.
class TOVREN_WORLD_API FolderFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "one-way", "dangling", "unreadable", "wrap", "overlap", "conflict" or "misaligned".
TOVREN_WORLD_API const char* findingKindName(FindingKind kind);

} // namespace tovren
