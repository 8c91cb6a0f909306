#include "worldtool/edit/session/liveworld.h"

#include "world/hostfolder.h"
#include "world/tiledmap.h"
#include "world/worldlinkfile.h"
#include "world/worldreader.h"

#include <exception>
#include <set>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace tovren {

namespace {

bool sameLoad(const WorldMap& a, const WorldMap& b) {
    const bool sameMerge = a.unresolvedMerge && b.unresolvedMerge
                               ? *a.unresolvedMerge == *b.unresolvedMerge
                               : !a.unresolvedMerge && !b.unresolvedMerge;
    if (a.links != b.links || !sameMerge || a.failure.has_value() != b.failure.has_value()) {
        return false;
    }
    return !a.failure || (a.failure->kind() == b.failure->kind() &&
                          a.failure->description() == b.failure->description());
}

} // namespace

LiveWorld::LiveWorld(const std::string& folder, LayoutRule layout)
    : folder_(absoluteFolder(folder)), layout_(layout) {
    for (WorldMap& map : loadFolder(folder_)) {
        keep(std::move(map));
    }
}

void LiveWorld::keep(WorldMap map) {
    std::string name = map.linkText;
    if (isLink(map.path)) {
        linked_.insert(name);
    } else {
        linked_.erase(name);
    }
    maps_.insert_or_assign(std::move(name), std::move(map));
}

void LiveWorld::forget(const std::string& name) {
    maps_.erase(name);
    linked_.erase(name);
}

void LiveWorld::withWorld(const std::function<void(const ShownWorld&)>& use) {
    const std::lock_guard<std::mutex> guard(lock_);
    layOut(use);
}

void LiveWorld::layOut(const std::function<void(const ShownWorld&)>& use) {
    // The folder's maps go into the world and come back out of it: no second copy.
    const std::uint64_t version = version_;
    std::vector<WorldMap> maps;
    maps.reserve(maps_.size());
    for (auto& [name, map] : maps_) {
        maps.push_back(std::move(map));
    }
    World world = worldOf(readMaps(folder_, std::move(maps)), layout_);
    std::exception_ptr failed;
    try {
        ShownWorld shown{world, version, {}, gone_ ? std::optional(goneSentence()) : std::nullopt};
        for (const WorldMap& map : world.maps) {
            if (std::optional<std::string> why = whyReadOnly(map)) {
                shown.readOnly.emplace_back(map.name, std::move(*why));
            }
        }
        use(shown);
    } catch (...) {
        failed = std::current_exception(); // the files are kept all the same
    }
    Outside outside{version, {}, {}, {}};
    std::set<std::string> folders;
    for (WorldMap& map : world.maps) {
        if (!hasSeparator(map.linkText)) {
            maps_.at(map.linkText) = std::move(map);
            continue;
        }
        outside.maps.emplace(map.name, map.path);
        if (const std::optional<std::string> place = placeOf(map.path)) {
            folders.emplace(folderOfPlace(*place));
            outside.loads.emplace(*place, std::move(map.links));
        }
    }
    outside.folders.assign(folders.begin(), folders.end());
    outside_ = std::move(outside);
    world = World{};
#ifdef __GLIBC__
    ::malloc_trim(0); // what laying out took, back to the system while at rest
#endif
    if (failed) {
        std::rethrow_exception(failed);
    }
}

const LiveWorld::Outside& LiveWorld::outside() {
    if (outside_.version != version_) {
        layOut([](const ShownWorld&) {});
    }
    return outside_;
}

std::vector<std::string> LiveWorld::outsideFolders() const {
    const std::lock_guard<std::mutex> guard(lock_);
    return outside_.folders;
}

std::string LiveWorld::goneSentence() const {
    return "The folder " + shownName(folder_) +
           " is gone: it was moved away or removed, and nothing is saved until it is back.";
}

void LiveWorld::folderGone() {
    {
        const std::lock_guard<std::mutex> guard(lock_);
        if (gone_) {
            return;
        }
        gone_ = true;
    }
    newVersion();
}

std::optional<std::string> LiveWorld::whyGone() const {
    const std::lock_guard<std::mutex> guard(lock_);
    return gone_ ? std::optional(goneSentence()) : std::nullopt;
}

void LiveWorld::newVersion() {
    const std::uint64_t version = ++version_;
    if (told_) {
        told_(version);
    }
}

void LiveWorld::outsideChanged(const std::string& folder,
                               const std::vector<std::string>& mapNames) {
    // A file the world has not loaded may be one that a text now reaches: told as a change.
    bool changed = mapNames.empty();
    std::vector<std::pair<std::string, std::optional<LinkRecord>>> loaded; // by place
    for (const std::string& name : std::set<std::string>(mapNames.begin(), mapNames.end())) {
        const std::string path = linkFilePath(folder, name);
        const std::optional<std::string> place = placeOf(path);
        if (!place) {
            changed = true;
            continue;
        }
        std::optional<LinkRecord> links;
        try {
            links = loadWorldLinkFile(path);
        } catch (const FileFailure&) {
        }
        loaded.emplace_back(*place, std::move(links));
    }
    {
        const std::lock_guard<std::mutex> guard(lock_);
        for (auto& [place, links] : loaded) {
            const auto known = outside_.loads.find(place);
            if (known == outside_.loads.end() || known->second != links) {
                changed = true;
                outside_.loads.insert_or_assign(place, std::move(links));
            }
        }
    }
    if (changed) {
        newVersion();
    }
}

void LiveWorld::reread(const std::vector<std::string>& mapNames) {
    // Loaded first, unlocked, as loading may wait for a save of another program's.
    std::vector<std::pair<std::string, std::optional<WorldMap>>> fresh; // none: gone
    for (const std::string& name : std::set<std::string>(mapNames.begin(), mapNames.end())) {
        const std::optional<LinkFileEntry> entry = linkFileEntry(folder_, name);
        std::optional<WorldMap> map;
        if (entry) {
            map = loadFolderMap(folder_, *entry);
            findTiledMap(*map);
        }
        fresh.emplace_back(name, std::move(map));
    }
    bool anything = false;
    {
        const std::lock_guard<std::mutex> guard(lock_);
        for (auto& [name, map] : fresh) {
            const auto known = maps_.find(name);
            if (!map) {
                anything = anything || known != maps_.end();
                if (known != maps_.end()) {
                    forget(name);
                }
            } else if (known == maps_.end() || !sameLoad(known->second, *map)) {
                keep(std::move(*map));
                anything = true;
            }
        }
    }
    if (anything) {
        newVersion();
    }
}

void LiveWorld::rereadAll() {
    std::vector<WorldMap> loaded = loadFolder(folder_);
    {
        const std::lock_guard<std::mutex> guard(lock_);
        maps_.clear();
        linked_.clear();
        gone_ = false;
        for (WorldMap& map : loaded) {
            keep(std::move(map));
        }
    }
    newVersion(); // what was lost is not known: told as a change in any case
}

} // namespace tovren
