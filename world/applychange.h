#pragma once

#include "world/hostfiles.h"
#include "world/worldchange.h"

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

namespace tovren {

// Carrying out a rename or removal of a map so that it is never left half done, whatever
// moment the process dies at:
//
// 1. The plan is written to the folder's journal, which is synced, with the folder, before
//    anything else changes.
// 2. A rename gives the link file (and the files beside it) the new name as a second name, and
//    syncs the folder: the map is now there under both names, so that a field leads to it
//    whether it names it the old way or the new.
// 3. Each map that leads to it is saved through the store, as Tovren's Done saves, each synced
//    before the next: only the fields the plan changes, and only where they still hold what the
//    plan read.
// 4. The old names go (a removal's link file, held as a save holds it), and the folder is
//    synced: no field leads there any more, and every save before is on the device.
// 5. The journal is removed.
//
// Each step can be done again and comes to the same bytes, so a change cut short at any point
// is completed by carrying it out again from its journal: to exactly what an uninterrupted
// change gives. No field ever leads to a missing map meanwhile.

// Called after each file operation: the journal written, a name added, a map saved, a name
// removed, the journal removed. Tests stop the process there.
using AfterEachStep = std::function<void()>;

// A change that stopped on its way, and why; with its journal kept where it had begun, so
// that completing it is left to the next try.
class ChangeStopped : public std::runtime_error {
public:
    ChangeStopped(const std::string& why, bool journalKept)
        : std::runtime_error(why), journalKept_(journalKept) {}
    bool journalKept() const { return journalKept_; }

private:
    bool journalKept_;
};

// Checks, before anything is changed, that every file the change touches holds what the plan
// read and can be changed now (no other program saving it, none holding it against removal);
// returns why not.
std::optional<std::string> whyNotNow(const std::string& folder, const WorldChange& change);

// Carries out the change in the folder (absolute), from its journal's writing to its removal,
// while holding the folder's lock. Throws ChangeStopped where a file fails on the way: the
// journal is left for completeChange, except where nothing had changed yet.
void applyChange(const std::string& folder, const WorldChange& change, const FolderLock& lock,
                 const AfterEachStep& afterEachStep = {});

// Completes a change whose journal is in the folder, from wherever it stopped, and removes the
// journal. Throws ChangeStopped, the journal kept.
void completeChange(const std::string& folder, const WorldChange& change, const FolderLock& lock,
                    const AfterEachStep& afterEachStep = {});

} // namespace tovren
