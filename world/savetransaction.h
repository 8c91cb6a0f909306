#pragma once

#include "linkstore/filefailure.h"
#include "linkstore/linkrecord.h"
#include "world/mapsave.h"

#include <optional>
#include <string>
#include <vector>

namespace tovren {

// One map of a change to the world and the link file it goes to.
struct MapTarget {
    MapSave save;
    std::string path;
};

// A map whose link file did not hold what was expected of it.
struct SaveConflict {
    std::string map;
    std::optional<LinkRecord> current;  // what it holds now; none: no file, or one not loaded
    std::optional<FileFailure> failure; // why it cannot be loaded, unless there is no file
};

// What became of one map of a change.
struct SaveOutcome {
    std::string map;
    std::optional<FileFailure> failure; // none: saved, or removed
    bool removed = false;               // its link file was to be removed
    bool changed = false;               // its file now holds other links than before, or none
};

struct SaveResult {
    std::vector<SaveConflict> conflicts; // any: nothing was written
    std::vector<SaveOutcome> outcomes;   // otherwise one per map, in the order given
};

// A change to the world as one transaction: every map's expectation is checked first against
// its link file as the store loads it now, and nothing is written unless all of them hold. Then
// each map is saved once through the store, as Tovren's Done saves it (a new map's file made
// where nothing has its name, a removal holding the file as a save holds it); one that fails
// leaves the others saved. A file that another program holds
// as a save holds it cannot be loaded to check it: its expectation is taken to hold, and it
// fails, as a save of it would.
SaveResult saveMaps(const std::vector<MapTarget>& targets);

} // namespace tovren
