#pragma once

#include "world/world.h"
#include "worldtool/saverequest.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tovren {

// What a save of the editor's page comes to: an HTTP status and a JSON body.
struct SaveAnswer {
    int status = 200;
    std::string body;
};

// The world of a folder as the editor keeps it: every link file of the folder as last loaded,
// and what is made of them (the world, its JSON document and its picture) for the version it
// is at. A file is re-read on its own when it changes, never the whole folder; the version
// grows whenever the world on disk changes.
class LiveWorld {
public:
    // Reads the whole folder once. Throws FolderFailure.
    LiveWorld(const std::string& folder, LayoutRule layout);

    const std::string& folder() const { return folder_; } // absolute, as the host has it
    std::uint64_t version() const { return version_; }

    const World& world();
    const std::string& document(); // the document of check --json, with "version"
    const std::string& picture();  // the picture of draw

    // Re-reads the link files of these maps of the folder (names as the folder has them):
    // made, changed or gone. Returns whether the world changed.
    bool reread(const std::vector<std::string>& mapNames);
    // Re-reads every link file: news of changes was lost.
    bool rereadAll();
    // Something changed in a folder outside this one that a text leads into.
    void changedOutside();
    // The folders outside this one that texts lead into, where the world has maps.
    std::vector<std::string> outsideFolders();

    // Checks every map's expectation against its file as the store loads it now and, if all
    // hold, saves each map once through the store, as Tovren's Done saves.
    SaveAnswer save(const SaveRequest& request);

private:
    std::string folder_;
    LayoutRule layout_;
    std::map<std::string, WorldMap> maps_; // the folder's own maps, by their names on disk
    std::uint64_t version_ = 1;
    std::optional<World> world_;
    std::optional<std::string> document_;
    std::optional<std::string> picture_;

    void changed();
    bool rereadOne(const std::string& mapName);
};

} // namespace tovren
