// The editor's renames and removals of a map: planned by the world library from the folder as it
// is on disk, checked against what the page expected every file it touches to hold, and carried
// out as tovren-world rename and remove carry them out, never half done.
#include "linkstore/linkfile.h"
#include "world/applychange.h"
#include "world/changejournal.h"
#include "world/hostfolder.h"
#include "world/plainname.h"
#include "world/worldreader.h"
#include "worldtool/edit/session/liveworld.h"

#include <chrono>
#include <filesystem>
#include <map>
#include <set>
#include <thread>

namespace tovren {

namespace {

// How long a rename waits for another one in the folder to end: a change takes milliseconds.
constexpr auto patienceWithAnotherChange = std::chrono::seconds(5);

const char* const finishIt = "tovren-world check --finish on the folder completes it.";

std::optional<FolderLock> lockWithPatience(const std::string& folder) {
    const auto deadline = std::chrono::steady_clock::now() + patienceWithAnotherChange;
    for (;;) {
        if (std::optional<FolderLock> lock = FolderLock::tryToTake(folder)) {
            return lock;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

const WorldMap* shownAs(const ReadMaps& world, const std::string& name) {
    for (const WorldMap& map : world.maps) {
        if (map.name == name) {
            return &map;
        }
    }
    return nullptr;
}

// What the change expects each file it touches to hold, by the name the world shows: the map's
// own record (a renamed map's own fields are saved under its new name, from this record), and
// that of each map whose fields change.
std::map<std::string, LinkRecord> expectedOf(const ReadMaps& world, const WorldChange& change) {
    std::map<std::string, LinkRecord> expect;
    for (const WorldMap& map : world.maps) {
        if (map.links && !hasSeparator(map.linkText) && map.linkText == change.map) {
            expect.emplace(map.name, *map.links);
        }
    }
    for (const WorldChange::Edit& edit : change.edits) {
        const bool own =
            change.kind == WorldChange::Kind::Rename && edit.linkText == change.newName;
        if (!own) {
            expect.emplace(edit.save.map, *edit.save.expect);
        }
    }
    return expect;
}

// Every map the page expected otherwise: one whose record differs, one the change touches that
// the page did not expect it to, and one the page expected it to touch that it does not.
std::vector<SaveConflict> differences(const ReadMaps& world,
                                      const std::map<std::string, LinkRecord>& planned,
                                      const std::map<std::string, LinkRecord>& expected) {
    std::set<std::string> names;
    for (const auto& [name, record] : planned) {
        names.insert(name);
    }
    for (const auto& [name, record] : expected) {
        names.insert(name);
    }
    std::vector<SaveConflict> conflicts;
    for (const std::string& name : names) {
        const auto now = planned.find(name);
        const auto thought = expected.find(name);
        if (now != planned.end() && thought != expected.end() && now->second == thought->second) {
            continue;
        }
        SaveConflict conflict{name, std::nullopt, std::nullopt};
        if (now != planned.end()) {
            conflict.current = now->second;
        } else if (const WorldMap* map = shownAs(world, name)) {
            conflict.current = map->links;
            conflict.failure = map->failure;
        }
        conflicts.push_back(std::move(conflict));
    }
    return conflicts;
}

// Why the change would write where this editor never writes: a file whose real path lies outside
// its folder, reached by a text or by a link file that is a symbolic link. None if it would not.
std::optional<std::string> outsideWrite(const std::string& folder, const WorldChange& change) {
    if (!liesInside(linkFilePath(folder, change.map), folder)) {
        return "The map " + change.map +
               " lies outside the folder that this editor edits: it is read, never written.";
    }
    for (const WorldChange::Edit& edit : change.edits) {
        if (!liesInside(linkFilePath(folder, edit.linkText), folder)) {
            return edit.save.map + "'s file lies outside the folder that this editor edits: it is "
                                   "read, never written.";
        }
    }
    return std::nullopt;
}

} // namespace

EditorChange LiveWorld::change(const ChangeRequest& request) {
    EditorChange answer;
    const auto refused = [&](SaveRefusal::Reason reason, std::string sentence) {
        answer.refusal = SaveRefusal{reason, std::move(sentence)};
        answer.version = version_;
        return answer;
    };
    std::optional<std::string> name; // as the folder has it
    {
        const std::lock_guard<std::mutex> guard(lock_);
        for (const auto& [onDisk, map] : maps_) {
            if (map.name == request.map) {
                name = onDisk;
            }
        }
    }
    if (!name) {
        return refused(SaveRefusal::Reason::NoSuchMap,
                       "There is no map " + request.map + " in this folder.");
    }
    if (request.to) {
        if (const std::optional<std::string> why = whyNotAPlainName(*request.to)) {
            return refused(SaveRefusal::Reason::NotAPlainName, *why);
        }
    }
    const std::optional<FolderLock> lock = lockWithPatience(folder_);
    if (!lock) {
        return refused(
            SaveRefusal::Reason::NotNow,
            "Another rename or removal is going on in this folder. Nothing was changed.");
    }
    if (const std::optional<Journal> journal = readJournal(folder_)) {
        return refused(SaveRefusal::Reason::NotNow,
                       (journal->state == Journal::State::Whole
                            ? "In this folder, " + nameOf(journal->change) + " was cut short: "
                            : std::string("In this folder, a rename or removal was cut short: ")) +
                           finishIt + " Nothing was changed.");
    }
    const ReadMaps world = readMaps(folder_);
    const PlannedChange planned =
        request.to ? planRename(world, *name, *request.to, {}) : planRemoval(world, *name);
    if (const std::string* why = std::get_if<std::string>(&planned)) {
        return refused(SaveRefusal::Reason::CannotBeDone, *why + " Nothing was changed.");
    }
    answer.plan = std::get<WorldChange>(planned);
    if (const std::optional<std::string> why = outsideWrite(folder_, answer.plan)) {
        return refused(SaveRefusal::Reason::NotWritable, *why + " Nothing was changed.");
    }
    answer.expect = expectedOf(world, answer.plan);
    answer.version = version_;
    if (!request.expect) {
        return answer;
    }
    answer.conflicts = differences(world, answer.expect, *request.expect);
    if (!answer.conflicts.empty()) {
        return answer;
    }
    if (const std::optional<std::string> why = whyNotNow(folder_, answer.plan)) {
        return refused(SaveRefusal::Reason::NotNow, *why + ". Nothing was changed.");
    }
    std::optional<SaveRefusal> stopped;
    try {
        applyChange(folder_, answer.plan, *lock);
        answer.done = true;
    } catch (const ChangeStopped& failure) {
        stopped =
            failure.journalKept()
                ? SaveRefusal{SaveRefusal::Reason::CutShort,
                              std::string(failure.what()) + ". It stopped on its way; " + finishIt}
                : SaveRefusal{SaveRefusal::Reason::NotNow,
                              std::string(failure.what()) + ". Nothing was changed."};
    }
    // What it changed, read again: the folder's maps by name, news of those outside it.
    std::vector<std::string> names{answer.plan.map};
    if (request.to) {
        names.push_back(answer.plan.newName);
    }
    std::map<std::string, std::vector<std::string>> inSubfolders; // names by folder
    for (const WorldChange::Edit& edit : answer.plan.edits) {
        if (!hasSeparator(edit.linkText)) {
            names.push_back(edit.linkText);
            continue;
        }
        const std::filesystem::path file(linkFilePath(folder_, edit.linkText));
        inSubfolders[file.parent_path().string()].push_back(file.stem().string());
    }
    reread(names);
    for (const auto& [subfolder, mapNames] : inSubfolders) {
        outsideChanged(subfolder, mapNames);
    }
    answer.version = version_;
    answer.refusal = stopped;
    return answer;
}

} // namespace tovren
