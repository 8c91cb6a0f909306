// The editor's changes to the world: where each map of a change goes, the save transaction, and
// what it wrote kept, so that the world need not be read again.
#include "linkstore/linkfile.h"
#include "world/hostfolder.h"
#include "world/plainname.h"
#include "worldtool/edit/session/liveworld.h"

#include <algorithm>

namespace tovren {

std::variant<SaveRefusal, LiveWorld::Planned> LiveWorld::plan(const std::vector<MapSave>& saves) {
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
        planned.targets.push_back({save, std::move(path)});
        planned.folderNames.push_back(std::move(folderName));
    }
    return planned;
}

bool LiveWorld::keepWritten(const Planned& planned, const SaveResult& result) {
    bool savedAny = false;
    for (std::size_t at = 0; at < result.outcomes.size(); ++at) {
        const MapTarget& target = planned.targets[at];
        const std::optional<std::string>& name = planned.folderNames[at];
        if (result.outcomes[at].failure) {
            continue;
        }
        savedAny = true;
        if (!name) {
            continue;
        }
        if (!target.save.links) {
            maps_.erase(*name);
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
    return savedAny;
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
    if (changed) {
        newVersion();
    }
    return {std::nullopt, result, version_};
}

} // namespace tovren
