#include "world/savetransaction.h"

#include "linkstore/linkfile.h"
#include "world/linkfileremoval.h"
#include "world/worldlinkfile.h"

namespace tovren {

namespace {

// What the store loads from a file now: its record, or why not.
struct Loaded {
    std::optional<LinkRecord> record;
    std::optional<FileFailure> failure;

    bool has(FileFailure::Kind kind) const { return failure && failure->kind() == kind; }
};

Loaded loadNow(const std::string& path) {
    try {
        return {loadWorldLinkFile(path), std::nullopt};
    } catch (const FileFailure& failure) {
        return {std::nullopt, failure};
    }
}

bool holds(const std::optional<LinkRecord>& expected, const Loaded& now) {
    if (!expected) {
        return now.has(FileFailure::Kind::FileNotFound); // a new map: no file yet
    }
    return now.record == expected || now.has(FileFailure::Kind::AccessDenied);
}

SaveOutcome saveOne(const MapTarget& target, const Loaded& before) {
    const MapSave& save = target.save;
    SaveOutcome outcome{save.map, std::nullopt, !save.links, false};
    if (before.has(FileFailure::Kind::AccessDenied)) {
        outcome.failure = before.failure; // held: a save could not take it either
        return outcome;
    }
    try {
        if (save.links && !save.expect) {
            createLinkFile(target.path, *save.links); // never over a file, nor through a link
        } else if (save.links) {
            saveLinkFile(target.path, *save.links);
        } else {
            removeLinkFile(target.path);
        }
    } catch (const FileFailure& failure) {
        outcome.failure = failure;
        return outcome;
    }
    outcome.changed = !save.links || before.record != save.links;
    return outcome;
}

} // namespace

SaveResult saveMaps(const std::vector<MapTarget>& targets) {
    SaveResult result;
    std::vector<Loaded> before;
    before.reserve(targets.size());
    for (const MapTarget& target : targets) {
        Loaded now = loadNow(target.path);
        if (!holds(target.save.expect, now)) {
            const bool missing = now.has(FileFailure::Kind::FileNotFound);
            result.conflicts.push_back(
                {target.save.map, now.record, missing ? std::nullopt : now.failure});
        }
        before.push_back(std::move(now));
    }
    if (!result.conflicts.empty()) {
        return result;
    }
    for (std::size_t at = 0; at < targets.size(); ++at) {
        result.outcomes.push_back(saveOne(targets[at], before[at]));
    }
    return result;
}

} // namespace tovren
