#pragma once

#include "world/mapsave.h"
#include "world/worldreader.h"

#include <string>
#include <variant>
#include <vector>

namespace tovren {

// One map renamed or removed across the whole world, planned before anything is done: every
// field of every map that leads to it, and the files that take its new name. The plan is what
// the journal keeps while it is carried out, so it holds names as the folder has them.
struct WorldChange {
    enum class Kind { Rename, Remove };
    Kind kind = Kind::Rename;
    std::string map;     // its name in the folder (its link file's, without ".link")
    std::string newName; // a rename's new name

    // A file beside the link file that takes the new name too: names in the folder.
    struct FileRename {
        std::string from;
        std::string to;
        bool operator==(const FileRename&) const = default;
    };
    std::vector<FileRename> files; // the link file itself first, for a rename

    // A link file whose fields change: how the folder's text reaches it (a map's name, or a
    // text into another folder) and its save, named as the world shows it, with what its file
    // holds now and will hold. A renamed map's own fields are saved under its new name.
    struct Edit {
        std::string linkText;
        MapSave save;
        bool operator==(const Edit&) const = default;
    };
    std::vector<Edit> edits; // by map name

    bool operator==(const WorldChange&) const = default;
};

// The plan, or why it cannot be done, as a sentence.
using PlannedChange = std::variant<WorldChange, std::string>;

// A rename of the folder's map `map` to `newName`: every field that leads to it (however its
// text is spelt, "../town/map1" included) then leads to the new name, spelt the same way, and
// the files named by the map's name and each suffix (".tmx") take the new name too. Refused
// where the new name is not plain, cannot be held by a link file as it is, or names a file
// there is already; where the map is not one of the folder's, or a file to change cannot be
// loaded.
PlannedChange planRename(const ReadMaps& world, const std::string& map, const std::string& newName,
                         const std::vector<std::string>& suffixes);

// A removal of the folder's map `map`: every field that leads to it is emptied, and its link
// file removed; no other file.
PlannedChange planRemoval(const ReadMaps& world, const std::string& map);

// "the rename of map1 to forest_east" or "the removal of map1".
std::string nameOf(const WorldChange& change);

} // namespace tovren
