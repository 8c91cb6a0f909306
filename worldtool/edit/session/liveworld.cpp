#include "worldtool/edit/session/liveworld.h"

#include "linkstore/linkfile.h"
#include "world/hostfolder.h"
#include "world/worldreader.h"
#include "world/linkfileremoval.h"
#include "world/plainname.h"
#include "worldtool/report/report.h"
#include "worldtool/picture/svgpicture.h"

#include <algorithm>
#include <exception>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace tovren {

namespace {

using json = nlohmann::ordered_json;

const char* kindName(FileFailure::Kind kind) {
    switch (kind) {
    case FileFailure::Kind::FileNotFound:
        return "FileNotFound";
    case FileFailure::Kind::PathNotFound:
        return "PathNotFound";
    case FileFailure::Kind::BadFileName:
        return "BadFileName";
    case FileFailure::Kind::AccessDenied:
        return "AccessDenied";
    case FileFailure::Kind::InputPastEndOfFile:
        return "InputPastEndOfFile";
    case FileFailure::Kind::WriteFailure:
        return "WriteFailure";
    case FileFailure::Kind::OtherFailure:
        break;
    }
    return "OtherFailure";
}

json recordJson(const LinkRecord& record) {
    json object = json::object();
    for (const Direction direction : allDirections) {
        object[std::string(directionName(direction))] = textOf(record, direction);
    }
    return object;
}

std::string dumped(const json& value) {
    return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

SaveAnswer refused(int status, const std::string& sentence) {
    return {status, dumped(json{{"error", sentence}})};
}

bool sameLoad(const WorldMap& a, const WorldMap& b) {
    if (a.links != b.links || a.unresolvedMerge != b.unresolvedMerge ||
        a.failure.has_value() != b.failure.has_value()) {
        return false;
    }
    return !a.failure || (a.failure->kind() == b.failure->kind() &&
                          a.failure->description() == b.failure->description());
}

// What the store loads from a file now: its record, or why not.
struct Loaded {
    std::optional<LinkRecord> record;
    std::optional<FileFailure> failure;
};

Loaded loadNow(const std::string& path) {
    try {
        return {loadLinkFile(path), std::nullopt};
    } catch (const FileFailure& failure) {
        return {std::nullopt, failure};
    }
}

// Where one map of a request goes, and how its check came out.
struct Target {
    const MapSave* save;
    std::string path;
    std::optional<std::string> folderName; // the name in this folder's own maps, if it is one
    std::optional<FileFailure> cannotSave; // known before writing: another program holds it
};

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

std::optional<std::pair<std::string, std::optional<std::string>>>
LiveWorld::mapNamed(const std::string& name) {
    // The folder's own maps without laying out the world, which takes longer than a save.
    for (const auto& [onDisk, map] : maps_) {
        if (map.name == name) {
            return std::pair(map.path, std::optional(onDisk));
        }
    }
    const auto& outsideMaps = outside().maps; // those outside it, that texts lead to
    if (const auto map = outsideMaps.find(name); map != outsideMaps.end()) {
        return std::pair(map->second, std::optional<std::string>());
    }
    return std::nullopt;
}

template <typename Use> void LiveWorld::withWorld(Use use) {
    // The folder's maps go into the world and come back out of it: no second copy.
    std::vector<WorldMap> maps;
    maps.reserve(maps_.size());
    for (auto& [name, map] : maps_) {
        maps.push_back(std::move(map));
    }
    World world = worldOf(readMaps(folder_, std::move(maps)), layout_);
    std::exception_ptr failed;
    try {
        use(world);
    } catch (...) {
        failed = std::current_exception(); // the files are kept all the same
    }
    Outside outside{version_, {}, {}};
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
        withWorld([](const World&) {});
    }
    return outside_;
}

std::string LiveWorld::document() {
    std::ostringstream out;
    withWorld([&](const World& world) { writeJsonReport(world, out, version_); });
    return std::move(out).str();
}

std::string LiveWorld::picture() {
    std::ostringstream out;
    withWorld([&](const World& world) { writeSvgPicture(world, out); });
    return std::move(out).str();
}

void LiveWorld::changed() {
    ++version_;
}

bool LiveWorld::rereadOne(const std::string& mapName) {
    const std::optional<LinkFileEntry> entry = linkFileEntry(folder_, mapName);
    const auto known = maps_.find(mapName);
    if (!entry) {
        if (known == maps_.end()) {
            return false;
        }
        maps_.erase(known);
        return true;
    }
    WorldMap fresh = loadFolderMap(folder_, *entry);
    if (known != maps_.end() && sameLoad(known->second, fresh)) {
        return false;
    }
    keep(std::move(fresh));
    return true;
}

void LiveWorld::reread(const std::vector<std::string>& mapNames) {
    bool anything = false;
    for (const std::string& name : std::set<std::string>(mapNames.begin(), mapNames.end())) {
        anything = rereadOne(name) || anything;
    }
    if (anything) {
        changed();
    }
}

void LiveWorld::rereadAll() {
    maps_.clear();
    for (WorldMap& map : loadFolder(folder_)) {
        keep(std::move(map));
    }
    changed(); // what was lost is not known: told as a change in any case
}

SaveAnswer LiveWorld::save(const SaveRequest& request) {
    // Where each map goes: a map of the world as it was read, by name, or a new one in the
    // folder, by a plain name.
    std::vector<Target> targets;
    for (const MapSave& save : request.saves) {
        Target target{&save, {}, {}, {}};
        if (save.expect) {
            auto map = mapNamed(save.map);
            if (!map) {
                return refused(404, "There is no map " + save.map + " in this world.");
            }
            target.path = std::move(map->first);
            target.folderName = std::move(map->second);
        } else {
            if (const std::optional<std::string> why = whyNotAPlainName(save.map)) {
                return refused(400, *why);
            }
            target.path = linkFilePath(folder_, save.map);
            target.folderName = save.map;
        }
        targets.push_back(std::move(target));
    }

    // Every expectation first: nothing is written unless all of them hold.
    json conflicts = json::array();
    for (Target& target : targets) {
        const Loaded now = loadNow(target.path);
        const std::optional<LinkRecord>& expected = target.save->expect;
        const bool missing = now.failure && now.failure->kind() == FileFailure::Kind::FileNotFound;
        const bool held = now.failure && now.failure->kind() == FileFailure::Kind::AccessDenied;
        if (expected ? (now.record == expected || (held && !now.record)) : missing) {
            if (expected && held) {
                target.cannotSave = now.failure; // a save could not take it either
            }
            continue;
        }
        json conflict{{"map", target.save->map},
                      {"current", now.record ? recordJson(*now.record) : json(nullptr)}};
        if (now.failure && !missing) {
            conflict["failure"] = now.failure->description();
        }
        conflicts.push_back(std::move(conflict));
    }
    if (!conflicts.empty()) {
        std::string names;
        for (std::size_t at = 0; at < conflicts.size(); ++at) {
            names += at == 0 ? "" : (at + 1 == conflicts.size() ? " and " : ", ");
            names += conflicts[at]["map"].get<std::string>();
        }
        return {409, dumped(json{
                         {"error",
                          "The link file" + std::string(conflicts.size() == 1 ? " of " : "s of ") +
                              names + " changed since the page read it; nothing was saved."},
                         {"conflicts", conflicts}})};
    }

    // Then each map once, as Tovren's Done saves it; one that fails leaves the others saved.
    json results = json::array();
    std::string failures;
    bool savedAny = false;
    for (const Target& target : targets) {
        std::optional<FileFailure> failure = target.cannotSave;
        const bool removing = !target.save->links;
        if (!failure) {
            try {
                if (removing) {
                    removeLinkFile(target.path);
                } else {
                    saveLinkFile(target.path, *target.save->links);
                }
            } catch (const FileFailure& saveFailure) {
                failure = saveFailure;
            }
        }
        if (failure) {
            results.push_back(
                {{"map", target.save->map},
                 {"saved", false},
                 {"failure",
                  {{"kind", kindName(failure->kind())}, {"description", failure->description()}}}});
            failures += (failures.empty() ? "" : " ") + target.save->map +
                        " was not saved: " + failure->description() + ".";
            continue;
        }
        results.push_back({{"map", target.save->map}, {"saved", true}});
        if (removing) {
            results.back()["removed"] = true;
        }
        savedAny = true;
        if (target.folderName && removing) {
            maps_.erase(*target.folderName);
        } else if (target.folderName) {
            // Loaded back, it is what was written: the store reads only the first four lines.
            WorldMap map;
            map.name = shownName(*target.folderName);
            map.linkText = *target.folderName;
            map.path = target.path;
            map.links = target.save->links;
            keep(std::move(map));
        }
    }
    if (savedAny) {
        changed();
    }
    json answer{{"results", results}, {"version", version_}};
    if (!failures.empty()) {
        answer["error"] = failures;
    }
    return {failures.empty() ? 200 : 207, dumped(answer)};
}

} // namespace tovren
