#include "world/applychange.h"

#include "linkstore/linkfile.h"
#include "world/changejournal.h"
#include "world/findingtext.h"
#include "world/hostfolder.h"
#include "world/linkfileremoval.h"

#include <chrono>
#include <thread>

namespace tovren {

namespace {

// How long a file that another program saves or loads is waited for; either takes
// milliseconds.
constexpr auto patience = std::chrono::seconds(2);

template <typename Action> void patiently(Action action) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    for (;;) {
        try {
            action();
            return;
        } catch (const FileFailure& failure) {
            if (failure.kind() != FileFailure::Kind::AccessDenied ||
                std::chrono::steady_clock::now() >= deadline) {
                throw;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// What a map's file holds now with the plan's fields changed where they still hold what the
// plan read: a field someone changed since is theirs. Unchanged since, it is the plan's record.
LinkRecord merged(const LinkRecord& now, const MapSave& save) {
    LinkRecord record = now;
    for (const Direction direction : allDirections) {
        const std::string& before = textOf(*save.expect, direction);
        if (before != textOf(*save.links, direction) && textOf(now, direction) == before) {
            textOf(record, direction) = textOf(*save.links, direction);
        }
    }
    return record;
}

bool isMissing(const FileFailure& failure) {
    return failure.kind() == FileFailure::Kind::FileNotFound ||
           failure.kind() == FileFailure::Kind::PathNotFound;
}

// The steps of a change after its journal is written; each may be taken again.
class Steps {
public:
    Steps(const std::string& folder, const WorldChange& change, const AfterEachStep& after)
        : folder_(folder), change_(change), after_(after) {}

    bool changedAnything() const { return changed_; }

    void takeAll() {
        if (change_.kind == WorldChange::Kind::Rename) {
            addNewNames();
        }
        for (const WorldChange::Edit& edit : change_.edits) {
            save(edit);
        }
        if (change_.kind == WorldChange::Kind::Rename) {
            removeOldNames();
        } else {
            removeMap();
        }
        syncFolder(folder_);
    }

private:
    const std::string& folder_;
    const WorldChange& change_;
    const AfterEachStep& after_;
    bool changed_ = false;

    void done() {
        changed_ = true;
        if (after_) {
            after_();
        }
    }

    std::string from(const WorldChange::FileRename& file) const {
        return pathInFolder(folder_, file.from);
    }
    std::string to(const WorldChange::FileRename& file) const {
        return pathInFolder(folder_, file.to);
    }
    bool isLinkFile(const WorldChange::FileRename& file) const {
        return &file == &change_.files.front();
    }

    [[noreturn]] void cannotGoOn(const std::string& why) const {
        throw FileFailure(FileFailure::Kind::OtherFailure, why);
    }

    void addNewNames() {
        for (const WorldChange::FileRename& file : change_.files) {
            switch (twoNames(from(file), to(file))) {
            case TwoNames::FirstOnly:
                addSecondName(from(file), to(file));
                done();
                break;
            case TwoNames::OneFile:
            case TwoNames::SecondOnly:
                break;
            case TwoNames::TwoFiles:
                cannotGoOn("Both " + shownName(from(file)) + " and " + shownName(to(file)) +
                           " are there, two different files: which one is the map is for a "
                           "person to decide");
            case TwoNames::Neither:
                if (isLinkFile(file)) {
                    cannotGoOn("Neither " + shownName(from(file)) + " nor " + shownName(to(file)) +
                               " is there any more");
                }
                break; // a file beside it that has gone meanwhile
            }
        }
        syncFolder(folder_); // the new names before any field leads to them
    }

    void save(const WorldChange::Edit& edit) {
        const std::string path = linkFilePath(folder_, edit.linkText);
        LinkRecord now;
        try {
            now = loadLinkFile(path);
        } catch (const FileFailure& failure) {
            if (isMissing(failure)) {
                return; // a map removed meanwhile leads nowhere
            }
            throw;
        }
        patiently([&] { saveLinkFile(path, merged(now, edit.save)); });
        done();
    }

    void removeOldNames() {
        // The link file last: until then, the world is whole under its old name too.
        for (auto file = change_.files.rbegin(); file != change_.files.rend(); ++file) {
            switch (twoNames(from(*file), to(*file))) {
            case TwoNames::OneFile:
                if (isLinkFile(*file)) {
                    patiently([&] { removeLinkFile(from(*file)); });
                } else {
                    removeName(from(*file));
                }
                done();
                break;
            case TwoNames::FirstOnly:
                cannotGoOn(shownName(to(*file)) + " has gone: " + shownName(from(*file)) +
                           " is kept");
            case TwoNames::SecondOnly:
            case TwoNames::TwoFiles: // the old name made anew since it was removed
            case TwoNames::Neither:
                break;
            }
        }
    }

    void removeMap() {
        const std::string path = linkFilePath(folder_, change_.map);
        if (entryType(path) != EntryType::None) {
            patiently([&] { removeLinkFile(path); });
            done();
        }
    }
};

// Removes the journal of a change that changed nothing, if it can; one left behind is told of
// by the next command.
void forgetJournal(const std::string& folder) {
    try {
        removeJournal(folder);
    } catch (const FileFailure&) {
    }
}

void takeSteps(const std::string& folder, const WorldChange& change, const AfterEachStep& after,
               bool journalWasThere) {
    Steps steps(folder, change, after);
    try {
        steps.takeAll();
        removeJournal(folder);
    } catch (const FileFailure& failure) {
        const bool keep = journalWasThere || steps.changedAnything();
        if (!keep) {
            forgetJournal(folder);
        }
        throw ChangeStopped(failure.description(), keep);
    }
    if (after) {
        after();
    }
}

} // namespace

std::optional<std::string> whyNotNow(const std::string& folder, const WorldChange& change) {
    const bool rename = change.kind == WorldChange::Kind::Rename;
    try {
        for (const WorldChange::Edit& edit : change.edits) {
            // The renamed map's own fields are in its file under its old name still.
            const std::string path = rename && edit.linkText == change.newName
                                         ? pathInFolder(folder, change.files.front().from)
                                         : linkFilePath(folder, edit.linkText);
            if (loadLinkFile(path) != *edit.save.expect) {
                return shownInText(edit.save.map) + " has changed since the world was read";
            }
            refuseIfHeld(path, FileChange::Save);
        }
        for (const WorldChange::FileRename& file : change.files) {
            refuseIfHeld(pathInFolder(folder, file.from), FileChange::Remove);
            if (entryType(pathInFolder(folder, file.to)) != EntryType::None) {
                return "There is a file " + shownInText(shownName(file.to)) + " already";
            }
        }
        if (!rename) {
            refuseIfHeld(linkFilePath(folder, change.map), FileChange::Remove);
        }
    } catch (const FileFailure& failure) {
        return failure.description();
    }
    return std::nullopt;
}

void applyChange(const std::string& folder, const WorldChange& change, const FolderLock&,
                 const AfterEachStep& afterEachStep) {
    try {
        writeJournal(folder, change);
    } catch (const FileFailure& failure) {
        forgetJournal(folder);
        throw ChangeStopped(failure.description(), false);
    }
    if (afterEachStep) {
        afterEachStep();
    }
    takeSteps(folder, change, afterEachStep, false);
}

void completeChange(const std::string& folder, const WorldChange& change, const FolderLock&,
                    const AfterEachStep& afterEachStep) {
    takeSteps(folder, change, afterEachStep, true);
}

} // namespace tovren
