#include "world/worldchange.h"

#include "linkstore/hostcodepage.h"
#include "linkstore/linkfile.h"
#include "world/findingtext.h"
#include "world/hostfiles.h"
#include "world/hostfolder.h"
#include "world/plainname.h"

#include <algorithm>

namespace tovren {

namespace {

constexpr const char* linkExtension = ".link";

std::string shown(const std::string& nameInFolder) {
    return shownInText(shownName(nameInFolder));
}

// The folder's own map of this name, as the host compares names; a map outside the folder is
// not one of its own.
std::variant<std::size_t, std::string> folderMap(const ReadMaps& world, const std::string& name) {
    const std::string key = nameKey(name);
    for (std::size_t index = 0; index < world.maps.size(); ++index) {
        const WorldMap& map = world.maps[index];
        if (!hasSeparator(map.linkText) && nameKey(map.linkText) == key) {
            if (!map.links) {
                return shownInText(map.name) + " cannot be loaded: " + map.failure->description();
            }
            return index;
        }
    }
    return "There is no map " + shown(name) + " in " + shownName(world.folder) + ": no file " +
           shown(name + linkExtension) + ".";
}

// A map whose file cannot be loaded now, for a reason that may pass (another program saving it,
// a read that failed) or that hides its links (it may not be read), may lead to the map: the
// change waits until it can be told. A file too short to load, or a folder in a link file's
// place, leads nowhere, for Tovren as for the world.
std::optional<std::string> whyNotKnown(const ReadMaps& world, const std::string& target) {
    for (const WorldMap& map : world.maps) {
        if (!map.failure) {
            continue;
        }
        const FileFailure::Kind kind = map.failure->kind();
        if ((kind == FileFailure::Kind::AccessDenied || kind == FileFailure::Kind::OtherFailure) &&
            entryType(map.path) == EntryType::File) {
            return shownInText(map.name) + " cannot be loaded (" + map.failure->description() +
                   "), so whether it leads to " + shown(target) + " is not known.";
        }
    }
    return std::nullopt;
}

std::optional<std::string> whyNotANewName(const ReadMaps& world, const std::string& map,
                                          const std::string& newName) {
    if (const std::optional<std::string> why = whyNotAPlainName(newName)) {
        return why;
    }
    if (fromHostCodePage(toHostCodePage(newName)) != newName) {
        return shown(newName) + " holds a character that a link file on this computer cannot "
                                "hold as it is.";
    }
    if (nameKey(newName) == nameKey(map)) {
        return newName == map ? shown(map) + " is named so already."
                              : "This computer takes " + shown(newName) + " and " + shown(map) +
                                    " for the same file's name.";
    }
    for (const WorldMap& other : world.maps) {
        if (!hasSeparator(other.linkText) && nameKey(other.linkText) == nameKey(newName)) {
            return "There is a map " + shownInText(other.name) + " already" +
                   (other.linkText == newName ? "" : ", a name this computer takes for the same") +
                   ".";
        }
    }
    if (entryType(linkFilePath(world.folder, newName)) != EntryType::None) {
        return "There is a file " + shown(newName + linkExtension) + " already.";
    }
    return std::nullopt;
}

// The files beside the link file that take the new name: the map's name and each suffix.
std::variant<std::vector<WorldChange::FileRename>, std::string>
filesBeside(const ReadMaps& world, const std::string& map, const std::string& newName,
            const std::vector<std::string>& suffixes) {
    std::vector<WorldChange::FileRename> files;
    std::vector<std::string> keys{nameKey(linkExtension)};
    for (const std::string& suffix : suffixes) {
        if (hasSeparator(suffix)) {
            return "--also takes the ends of file names, such as .tmx, not " + shown(suffix) + ".";
        }
        if (std::find(keys.begin(), keys.end(), nameKey(suffix)) != keys.end()) {
            continue; // the link file itself, or a suffix given twice
        }
        keys.push_back(nameKey(suffix));
        WorldChange::FileRename file{map + suffix, newName + suffix};
        switch (entryType(pathInFolder(world.folder, file.from))) {
        case EntryType::None:
            continue;
        case EntryType::Other:
            return shown(file.from) + " is not a file.";
        case EntryType::File:
            break;
        }
        if (entryType(pathInFolder(world.folder, file.to)) != EntryType::None) {
            return "There is a file " + shown(file.to) + " already.";
        }
        files.push_back(std::move(file));
    }
    return files;
}

// Every loaded map with a field that leads to `target`, each such field's text made `retext`.
template <typename Retext>
std::vector<WorldChange::Edit> editsOfFieldsLeadingTo(const ReadMaps& world, std::size_t target,
                                                      Retext retext) {
    std::vector<WorldChange::Edit> edits;
    for (std::size_t index = 0; index < world.maps.size(); ++index) {
        const WorldMap& map = world.maps[index];
        if (!map.links) {
            continue;
        }
        LinkRecord links = *map.links;
        for (const Direction direction : allDirections) {
            if (map.neighbour(direction) == target) {
                textOf(links, direction) = retext(textOf(links, direction));
            }
        }
        if (links != *map.links) {
            edits.push_back({map.linkText, MapSave{map.name, map.links, links}});
        }
    }
    return edits;
}

} // namespace

PlannedChange planRename(const ReadMaps& world, const std::string& map, const std::string& newName,
                         const std::vector<std::string>& suffixes) {
    const std::variant<std::size_t, std::string> found = folderMap(world, map);
    if (const std::string* why = std::get_if<std::string>(&found)) {
        return *why;
    }
    const WorldMap& renamed = world.maps[std::get<std::size_t>(found)];
    if (const std::optional<std::string> why = whyNotANewName(world, renamed.linkText, newName)) {
        return *why;
    }
    if (const std::optional<std::string> why = whyNotKnown(world, renamed.linkText)) {
        return *why;
    }
    auto beside = filesBeside(world, renamed.linkText, newName, suffixes);
    if (const std::string* why = std::get_if<std::string>(&beside)) {
        return *why;
    }
    WorldChange change{WorldChange::Kind::Rename, renamed.linkText, newName, {}, {}};
    change.files.push_back({renamed.linkText + linkExtension, newName + linkExtension});
    for (WorldChange::FileRename& file : std::get<0>(beside)) {
        change.files.push_back(std::move(file));
    }
    // The text keeps its way into other folders: "../town/map1" becomes "../town/forest".
    change.edits =
        editsOfFieldsLeadingTo(world, std::get<std::size_t>(found), [&](const std::string& text) {
            return text.substr(0, nameStart(text)) + newName;
        });
    for (WorldChange::Edit& edit : change.edits) {
        if (edit.linkText == renamed.linkText) { // its own fields, saved once it has its new name
            edit.linkText = newName;
            edit.save.map = shownName(newName);
        }
    }
    return change;
}

PlannedChange planRemoval(const ReadMaps& world, const std::string& map) {
    const std::variant<std::size_t, std::string> found = folderMap(world, map);
    if (const std::string* why = std::get_if<std::string>(&found)) {
        return *why;
    }
    const WorldMap& removed = world.maps[std::get<std::size_t>(found)];
    if (const std::optional<std::string> why = whyNotKnown(world, removed.linkText)) {
        return *why;
    }
    WorldChange change{WorldChange::Kind::Remove, removed.linkText, {}, {}, {}};
    change.edits = editsOfFieldsLeadingTo(world, std::get<std::size_t>(found),
                                          [](const std::string&) { return std::string(); });
    // Its own file goes: its own fields are not saved first.
    std::erase_if(change.edits,
                  [&](const WorldChange::Edit& edit) { return edit.linkText == removed.linkText; });
    return change;
}

std::string nameOf(const WorldChange& change) {
    return change.kind == WorldChange::Kind::Rename
               ? "the rename of " + shown(change.map) + " to " + shown(change.newName)
               : "the removal of " + shown(change.map);
}

} // namespace tovren
