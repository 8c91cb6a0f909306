#pragma once

#include "worldtypes.h"

#include <optional>
#include <string>
#include <vector>

namespace tovren {

// The easy mend of a one-way link: where map A leads to B and B leads nowhere the opposite
// way, B is made to lead back to A. Never a field that leads somewhere, and never a link file
// that does not exist.
struct Mend {
    std::size_t map;                  // B, whose link file changes: an index into World::maps
    LinkRecord links;                 // B's links with every mend of B made
    std::vector<std::string> changes; // one sentence per field that changes
};

// A one-way link that only a person can mend: B leads elsewhere that way, or several maps
// would each want B's one field.
struct Undecided {
    std::string message;
};

struct MirrorPlan {
    std::vector<Mend> mends; // one per map, by map name
    std::vector<Undecided> undecided;
};

TOVREN_WORLD_API MirrorPlan planMirror(const World& world);

// Saves each mend through the link file store, as Tovren's Done saves, after reading the file
// once more: a file that changed since the world was read is left alone. Returns, per mend, the
// failure that kept it from being saved, if any.
TOVREN_WORLD_API std::vector<std::optional<std::string>> applyMirror(const World& world,
                                                                     const MirrorPlan& plan);

} // namespace tovren
