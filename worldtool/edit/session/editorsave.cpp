// The editor's changes to the world: where each map of a change goes, the save transaction, and
// what it wrote kept, so that the world need not be read again.
#include "linkstore/linkfile.h"
#include "world/hostfolder.h"
#include "world/plainname.h"
#include "world/unresolvedmerge.h"
#include "worldtool/edit/session/liveworld.h"

#include <algorithm>

namespace tovren {

namespace {

std::string outsideTheFolder(const std::string& map) {
    return "The map " + map +
           " lies outside the folder that this editor edits: it is read, never written.";
}

bool holdsMergeMarker(const LinkRecord& record) {
    return std::any_of(allDirections.begin(), allDirections.end(), [&](Direction direction) {
        return isMergeMarker(textOf(record, direction));
    });
}

} // namespace

std::optional<std::string> LiveWorld::whyReadOnly(const WorldMap& map) const {
    const bool ownFile = !hasSeparator(map.linkText) && !linked_.contains(map.linkText);
    if (ownFile || liesInside(map.path, folder_)) {
        return std::nullopt;
    }
    return outsideTheFolder(map.name);
}

std::optional<SaveRefusal> LiveWorld::refusal(const MapSave& save, const std::string& path,
                                              bool folderMap) const {
    const auto refused = [](std::string sentence) {
        return SaveRefusal{SaveRefusal::Reason::NotWritable, std::move(sentence)};
    };
    if (!save.expect) { // a new map
        if (isLink(path)) {
            return refused("There is a link named " + save.map +
                           ".link in the folder: a new map's file is made only as a new file, "
                           "never through a link.");
        }
        return std::nullopt;
    }
    if (!liesInside(path, folder_)) {
        return refused(outsideTheFolder(save.map));
    }
    if (!save.links && (!folderMap || isLink(path))) {
        return refused("Only a map whose file this folder itself holds can be taken away, as "
                       "undoing its making does; " +
                       save.map + " is not one.");
    }
    return std::nullopt;
}

std::variant<SaveRefusal, LiveWorld::Planned> LiveWorld::plan(const std::vector<MapSave>& saves) {
    if (gone_) {
        return SaveRefusal{SaveRefusal::Reason::FolderGone, goneSentence()};
    }
    Planned planned;
    for (const MapSave& save : saves) {
        std::string path;
        std::optional<std::string> folderName;
        if (!save.expect) { // a new map, in the folder, by a plain name
            if (const std::optional<std::string> why = whyNotAPlainName(save.map)) {
                return SaveRefusal{SaveRefusal::Reason::NotAPlainName, *why};
            }
            path = linkFilePath(folder_, save.map);
            folderName = save.map;
        } else if (const auto own = std::find_if(
                       maps_.begin(), maps_.end(),
                       [&](const auto& entry) { return entry.second.name == save.map; });
                   own != maps_.end()) {
            // The folder's own maps without laying out the world, which takes longer than a save.
            path = own->second.path;
            folderName = own->first;
        } else if (const auto far = outside().maps.find(save.map); far != outside_.maps.end()) {
            path = far->second; // outside the folder, where a text leads
        } else {
            return SaveRefusal{SaveRefusal::Reason::NoSuchMap,
                               "There is no map " + save.map + " in this world."};
        }
        if (std::optional<SaveRefusal> refused = refusal(save, path, folderName.has_value())) {
            return *refused;
        }
        planned.targets.push_back({save, std::move(path)});
        planned.folderNames.push_back(std::move(folderName));
    }
    return planned;
}

bool LiveWorld::keepWritten(const Planned& planned, const SaveResult& result) {
    bool changed = false;
    for (std::size_t at = 0; at < result.outcomes.size(); ++at) {
        const MapTarget& target = planned.targets[at];
        const std::optional<std::string>& name = planned.folderNames[at];
        if (result.outcomes[at].failure) {
            continue;
        }
        changed = changed || result.outcomes[at].changed;
        if (!name) { // a map of a subfolder: as its news will come, so that it is no news
            if (const std::optional<std::string> place = placeOf(target.path)) {
                outside_.loads.insert_or_assign(*place, target.save.links);
            }
            continue;
        }
        if (!target.save.links) {
            forget(*name);
            continue;
        }
        // Loaded back, it is what was written: the store reads only the first four lines.
        WorldMap map;
        map.name = shownName(*name);
        map.linkText = *name;
        map.path = target.path;
        map.links = target.save.links;
        keep(std::move(map));
    }
    return changed;
}

EditorSave LiveWorld::save(const std::vector<MapSave>& saves) {
    std::variant<SaveRefusal, Planned> planned;
    {
        const std::lock_guard<std::mutex> guard(lock_);
        planned = plan(saves);
    }
    if (const SaveRefusal* refusal = std::get_if<SaveRefusal>(&planned)) {
        return {*refusal, {}, version_};
    }
    const Planned& where = std::get<Planned>(planned);
    const SaveResult result = saveMaps(where.targets); // unlocked: it waits for files
    bool changed = false;
    {
        const std::lock_guard<std::mutex> guard(lock_);
        changed = keepWritten(where, result);
    }
    // A record written with one of git's markers in it (an unresolved merge put back) is a merge
    // left unresolved again, whose sides lie past its four lines: its file is read again.
    std::vector<std::string> unresolved;
    for (std::size_t at = 0; at < result.outcomes.size(); ++at) {
        const std::optional<LinkRecord>& links = where.targets[at].save.links;
        if (!result.outcomes[at].failure && links && where.folderNames[at] &&
            holdsMergeMarker(*links)) {
            unresolved.push_back(*where.folderNames[at]);
        }
    }
    reread(unresolved);
    if (changed) {
        newVersion();
    }
    return {std::nullopt, result, version_};
}

} // namespace tovren
