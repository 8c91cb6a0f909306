#include "worldtool/edit/session/liveworld.h"

#include "world/hostfolder.h"
#include "world/worldreader.h"

#include <exception>
#include <set>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace tovren {

namespace {

bool sameLoad(const WorldMap& a, const WorldMap& b) {
    if (a.links != b.links || a.unresolvedMerge != b.unresolvedMerge ||
        a.failure.has_value() != b.failure.has_value()) {
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
    maps_.insert_or_assign(std::move(name), std::move(map));
}

void LiveWorld::withWorld(const std::function<void(const World&, std::uint64_t)>& use) {
    const std::lock_guard<std::mutex> guard(lock_);
    layOut(use);
}

void LiveWorld::layOut(const std::function<void(const World&, std::uint64_t)>& use) {
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
        use(world, version);
    } catch (...) {
        failed = std::current_exception(); // the files are kept all the same
    }
    Outside outside{version, {}, {}};
    std::set<std::string> folders;
    for (WorldMap& map : world.maps) {
        if (!hasSeparator(map.linkText)) {
            maps_.at(map.linkText) = std::move(map);
            continue;
        }
        outside.maps.emplace(map.name, map.path);
        if (const std::optional<std::string> place = placeOf(map.path)) {
            folders.emplace(folderOfPlace(*place));
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
        layOut([](const World&, std::uint64_t) {});
    }
    return outside_;
}

std::vector<std::string> LiveWorld::outsideFolders() const {
    const std::lock_guard<std::mutex> guard(lock_);
    return outside_.folders;
}

void LiveWorld::newVersion() {
    const std::uint64_t version = ++version_;
    if (told_) {
        told_(version);
    }
}

void LiveWorld::outsideChanged() {
    newVersion();
}

void LiveWorld::reread(const std::vector<std::string>& mapNames) {
    // Loaded first, unlocked, as loading may wait for a save of another program's.
    std::vector<std::pair<std::string, std::optional<WorldMap>>> fresh; // none: gone
    for (const std::string& name : std::set<std::string>(mapNames.begin(), mapNames.end())) {
        const std::optional<LinkFileEntry> entry = linkFileEntry(folder_, name);
        fresh.emplace_back(name,
                           entry ? std::optional(loadFolderMap(folder_, *entry)) : std::nullopt);
    }
    bool anything = false;
    {
        const std::lock_guard<std::mutex> guard(lock_);
        for (auto& [name, map] : fresh) {
            const auto known = maps_.find(name);
            if (!map) {
                anything = anything || known != maps_.end();
                if (known != maps_.end()) {
                    maps_.erase(known);
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
        for (WorldMap& map : loaded) {
            keep(std::move(map));
        }
    }
    newVersion(); // what was lost is not known: told as a change in any case
}

} // namespace tovren
