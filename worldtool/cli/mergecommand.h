#pragma once

#include <string>

namespace tovren {

// The three link files git hands its merge driver (%O %A %B).
struct MergeOptions {
    std::string base;
    std::string ours;
    std::string theirs;
};

// tovren-world merge: merges a link file three ways, field by field, and writes the result to
// OURS as the store saves a record: its four lines, each ended by CR LF, and nothing after them.
// Returns worldIsSound for a clean merge, worldHasFaults where both sides changed a field
// differently (its line then stands between git's conflict markers), and cannotDoIt when OURS
// or THEIRS cannot be loaded (OURS is then left as it was) or OURS cannot be written. A BASE
// that cannot be loaded, as git's empty one where both sides made the map, is no ancestor.
int mergeLinkFiles(const MergeOptions& options);

} // namespace tovren
