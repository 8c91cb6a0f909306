#include "worldtool/cli/changecommands.h"

#include "linkstore/linkfile.h"
#include "world/applychange.h"
#include "world/changejournal.h"
#include "world/findingtext.h"
#include "world/hostfolder.h"
#include "world/worldchange.h"
#include "world/worldreader.h"

#include <chrono>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <thread>

namespace tovren {

namespace {

// The exit status of a process stopped by TOVREN_WORLD_STOP_AFTER_STEP.
constexpr int stoppedOnPurpose = 99;

std::string folderOf(const std::string& given) {
    return absoluteFolder(given.empty() ? programDirectory() : given);
}

std::string shownFile(const std::string& name) {
    return shownInText(shownName(name));
}

// For the tests: TOVREN_WORLD_STOP_AFTER_STEP=N ends the process at once after the N-th file
// operation of a change, as a crash would, without a word or any cleaning up.
AfterEachStep stopForTests() {
    const char* stop = std::getenv("TOVREN_WORLD_STOP_AFTER_STEP");
    if (stop == nullptr) {
        return {};
    }
    const long last = std::strtol(stop, nullptr, 10);
    return [last, count = 0L]() mutable {
        if (++count == last) {
            std::_Exit(stoppedOnPurpose);
        }
    };
}

// Holds the folder against every other change of the world, waiting for one going on there.
FolderLock lockFolder(const std::string& folder) {
    for (bool told = false;; told = true) {
        if (std::optional<FolderLock> lock = FolderLock::tryToTake(folder)) {
            return std::move(*lock);
        }
        if (!told) {
            std::cerr << "tovren-world: waiting for the rename or removal going on in "
                      << shownName(folder) << " to end" << std::endl;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

std::string interrupted(const std::string& folder, const WorldChange& change) {
    return nameOf(change) + " in " + shownName(folder) +
           " was cut short; run it again, or any tovren-world command with --finish, to "
           "complete it";
}

// Completes the change a whole journal holds; false, told why, where it cannot.
bool complete(const std::string& folder, const WorldChange& change, const FolderLock& lock) {
    try {
        completeChange(folder, change, lock, stopForTests());
    } catch (const ChangeStopped& stopped) {
        std::cerr << "tovren-world: " << nameOf(change)
                  << " could not be completed: " << stopped.what()
                  << ". Its journal keeps what is left to do." << std::endl;
        return false;
    }
    return true;
}

void list(const WorldChange& change, bool done) {
    const bool rename = change.kind == WorldChange::Kind::Rename;
    for (const WorldChange::FileRename& file : change.files) {
        std::cout << (done ? "renamed " : "would rename ") << shownFile(file.from) << " to "
                  << shownFile(file.to) << '\n';
    }
    for (const WorldChange::Edit& edit : change.edits) {
        for (const Direction direction : allDirections) {
            const std::string& before = textOf(*edit.save.expect, direction);
            const std::string& after = textOf(*edit.save.links, direction);
            if (before == after) {
                continue;
            }
            const std::string map = shownInText(edit.save.map);
            const std::string way(directionName(direction));
            if (rename) {
                std::cout << (done ? "made " : "would make ") << map << " lead " << way << " to "
                          << shownInText(after) << " instead of " << shownInText(before) << '\n';
            } else {
                std::cout << (done ? "emptied " : "would empty ") << map << "'s field " << way
                          << (done ? ", which led to " : ", which leads to ") << shownInText(before)
                          << '\n';
            }
        }
    }
    if (!rename) {
        std::cout << (done ? "removed " : "would remove ") << shownFile(change.map + ".link")
                  << '\n';
    }
}

std::string fieldsAndMaps(const WorldChange& change) {
    std::size_t fields = 0;
    for (const WorldChange::Edit& edit : change.edits) {
        for (const Direction direction : allDirections) {
            fields += textOf(*edit.save.expect, direction) != textOf(*edit.save.links, direction);
        }
    }
    const std::size_t maps = change.edits.size();
    return std::to_string(fields) + (fields == 1 ? " field" : " fields") + " of " +
           std::to_string(maps) + (maps == 1 ? " map" : " maps");
}

void summarise(const WorldChange& change, bool done) {
    const bool rename = change.kind == WorldChange::Kind::Rename;
    const std::string map = shownFile(change.map);
    if (done) {
        std::cout << (rename ? "Renamed " + map + " to " + shownFile(change.newName)
                             : "Removed " + map)
                  << ": " << fieldsAndMaps(change) << (rename ? " changed" : " emptied") << '\n';
    } else {
        std::cout << fieldsAndMaps(change) << " lead to " << map << "; --write "
                  << (rename ? "renames" : "removes") << " it\n";
    }
}

// Runs a rename or removal: the journal of one cut short first (completed where it is the same
// change, else told), then the plan, listed, and with `write`, carried out.
int change(const std::string& given, bool write,
           const std::function<PlannedChange(const ReadMaps&)>& plan,
           const std::function<bool(const WorldChange&)>& isThisOne) {
    try {
        const std::string folder = folderOf(given);
        const FolderLock lock = lockFolder(folder);
        if (const std::optional<Journal> journal = readJournal(folder)) {
            if (journal->state == Journal::State::Newer) {
                std::cerr << "tovren-world: " << shownName(folder)
                          << " holds the journal of a change made by a newer tovren-world, "
                             "which that one completes. Nothing was changed.\n";
                return changeNotDone;
            }
            if (journal->state == Journal::State::Torn) {
                std::cerr << "tovren-world: a rename or removal in " << shownName(folder)
                          << " was cut short before it changed anything"
                          << (write ? "; its journal is removed" : "") << '\n';
                if (write) {
                    removeJournal(folder);
                }
            } else if (!isThisOne(journal->change)) {
                std::cerr << "tovren-world: " << interrupted(folder, journal->change)
                          << ". Nothing was changed.\n";
                return changeNotDone;
            } else if (!write) {
                std::cout << "would complete " << nameOf(journal->change)
                          << ", which was cut short (--write completes it)\n";
                return changeDone;
            } else {
                if (!complete(folder, journal->change, lock)) {
                    return changeNotDone;
                }
                std::cout << "Completed " << nameOf(journal->change) << ", which was cut short\n";
                return changeDone;
            }
        }
        const PlannedChange planned = plan(readMaps(folder));
        if (const std::string* why = std::get_if<std::string>(&planned)) {
            std::cerr << "tovren-world: " << *why << " Nothing was changed.\n";
            return changeNotDone;
        }
        const WorldChange& change = std::get<WorldChange>(planned);
        if (write) {
            if (const std::optional<std::string> why = whyNotNow(folder, change)) {
                std::cerr << "tovren-world: " << *why << ". Nothing was changed.\n";
                return changeNotDone;
            }
            applyChange(folder, change, lock, stopForTests());
        }
        list(change, write);
        summarise(change, write);
        return changeDone;
    } catch (const ChangeStopped& stopped) {
        std::cerr << "tovren-world: " << stopped.what()
                  << (stopped.journalKept()
                          ? ". The change stopped on its way; its journal keeps the rest: run the "
                            "same command again, or any command with --finish, to complete it.\n"
                          : ". Nothing was changed.\n");
    } catch (const std::exception& failure) { // the folder, or no memory
        std::cerr << "tovren-world: " << failure.what() << ". Nothing was changed.\n";
    }
    return changeNotDone;
}

} // namespace

int renameMap(const RenameOptions& options) {
    return change(
        options.folder, options.write,
        [&](const ReadMaps& world) {
            return planRename(world, options.map, options.newName, options.also);
        },
        [&](const WorldChange& pending) {
            return pending.kind == WorldChange::Kind::Rename &&
                   nameKey(pending.map) == nameKey(options.map) &&
                   pending.newName == options.newName;
        });
}

int removeMap(const RemoveOptions& options) {
    return change(
        options.folder, options.write,
        [&](const ReadMaps& world) { return planRemoval(world, options.map); },
        [&](const WorldChange& pending) {
            return pending.kind == WorldChange::Kind::Remove &&
                   nameKey(pending.map) == nameKey(options.map);
        });
}

bool tellOrFinishChange(const std::string& given, bool finish) {
    const std::string folder = folderOf(given);
    if (entryType(journalPath(folder)) == EntryType::None) {
        return true;
    }
    std::optional<FolderLock> lock =
        finish ? std::optional(lockFolder(folder)) : FolderLock::tryToTake(folder);
    if (!lock) {
        std::cerr << "tovren-world: a rename or removal is going on in " << shownName(folder)
                  << " now" << std::endl;
        return true;
    }
    const std::optional<Journal> journal = readJournal(folder);
    if (!journal) {
        return true; // completed meanwhile
    }
    switch (journal->state) {
    case Journal::State::Newer:
        std::cerr << "tovren-world: " << shownName(folder)
                  << " holds the journal of a change made by a newer tovren-world, which that "
                     "one completes"
                  << std::endl;
        return !finish;
    case Journal::State::Torn:
        std::cerr << "tovren-world: a rename or removal in " << shownName(folder)
                  << " was cut short before it changed anything; "
                  << (finish ? "its journal is removed" : "--finish removes its journal")
                  << std::endl;
        if (finish) {
            removeJournal(folder);
        }
        return true;
    case Journal::State::Whole:
        break;
    }
    if (!finish) {
        std::cerr << "tovren-world: " << interrupted(folder, journal->change) << std::endl;
        return true;
    }
    if (!complete(folder, journal->change, *lock)) {
        return false;
    }
    std::cerr << "tovren-world: completed " << nameOf(journal->change) << ", which was cut short"
              << std::endl;
    return true;
}

} // namespace tovren
