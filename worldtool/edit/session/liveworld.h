#pragma once

#include "world/world.h"
#include "worldtool/edit/http/saverequest.h"

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

// The world of a folder as the editor keeps it: every link file of the folder as last loaded.
// A file is re-read on its own when it changes, never the whole folder; the version grows
// whenever the world on disk changes. The world is laid out from the files kept, in their
// place, whenever its document or its picture is asked for, and neither is kept: at rest the
// editor holds little more than the files, as the check does.
class LiveWorld {
public:
    // Reads the whole folder once. Throws FolderFailure.
    LiveWorld(const std::string& folder, LayoutRule layout);

    const std::string& folder() const { return folder_; } // absolute, as the host has it
    std::uint64_t version() const { return version_; }

    std::string document(); // the document of check --json, with "version"
    std::string picture();  // the picture of draw

    // Re-reads the link files of these maps of the folder (names as the folder has them):
    // made, changed or gone. The version grows if anything changed.
    void reread(const std::vector<std::string>& mapNames);
    // Re-reads every link file: news of changes was lost.
    void rereadAll();
    // Something changed in a folder outside this one that a text leads into.
    void changed();
    // The folders outside this one that texts lead into, where the world had maps when it was
    // last laid out; laying it out is left to those who ask for the world.
    const std::vector<std::string>& outsideFolders() const { return outside_.folders; }

    // Checks every map's expectation against its file as the store loads it now and, if all
    // hold, saves each map once through the store, as Tovren's Done saves.
    SaveAnswer save(const SaveRequest& request);

private:
    std::string folder_;
    LayoutRule layout_;
    std::map<std::string, WorldMap> maps_; // the folder's own maps, by their names on disk
    std::uint64_t version_ = 1;
    // Where texts lead out of the folder, as the world was last laid out, and its version.
    struct Outside {
        std::uint64_t version = 0;
        std::vector<std::string> folders;
        std::map<std::string, std::string> maps; // their paths, by the names shown
    };
    Outside outside_;

    // Lays the world out from the files kept and hands it to `use`; the files are kept again.
    template <typename Use> void withWorld(Use use);
    const Outside& outside();
    bool rereadOne(const std::string& mapName);
    void keep(WorldMap map);
    // The path and folder name of the map of the world shown by this name, if there is one.
    std::optional<std::pair<std::string, std::optional<std::string>>>
    mapNamed(const std::string& name);
};

} // namespace tovren
