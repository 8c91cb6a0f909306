#pragma once

#include "linkstore/linkrecord.h"

#include <optional>
#include <string>

namespace tovren {

// One map to save as part of a change to the world: its name as the world shows it, what its
// link file is expected to hold (none: the map is new and its file must not exist yet), and the
// links to save (none: its link file is to be removed, as when the making of a map is undone).
// The editor's saves, its mends and the commands that change many maps are made of these.
struct MapSave {
    std::string map;
    std::optional<LinkRecord> expect;
    std::optional<LinkRecord> links;

    bool operator==(const MapSave&) const = default;
};

} // namespace tovren
