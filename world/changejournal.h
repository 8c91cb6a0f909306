#pragma once

#include "world/worldchange.h"

#include <optional>
#include <string>
#include <string_view>

namespace tovren {

// The journal of a change of the world in progress: its plan, in a file of the folder that is
// on the device before the first file changes and removed after the last, so that a change cut
// short (a crash, a kill, a power cut) can be told of and completed.
//
// Its format, version 1, is text with every name counted in bytes, so that any name fits:
//     tovren-world change 1\n
//     rename 4:map1 6:forest\n          or   remove 4:map1\n
//     file 9:map1.link 11:forest.link\n      (one per file that takes the new name)
//     edit 4:map2 4:map2 0: 0: 0: 4:map1 0: 0: 0: 6:forest\n
//                                            (link text, name shown, what the file holds and
//                                             what it will hold: up, down, left, right each)
//     end 0123456789abcdef\n                 (FNV-1a, 64 bits, of every byte before "end")
// A journal cut anywhere, or garbled, fails its count or its sum: it is torn, and as it is
// written whole before anything changes, a torn journal means nothing was changed.

std::string journalBytes(const WorldChange& change);

struct Journal {
    enum class State { Whole, Torn, Newer }; // Newer: written by a later tovren-world
    State state = State::Torn;
    WorldChange change; // when whole
};
Journal readJournalBytes(std::string_view bytes);

// The journal's file in the folder.
std::string journalPath(const std::string& folder);

// The folder's journal; none when there is none.
std::optional<Journal> readJournal(const std::string& folder);

// Writes the journal and makes it, and its name in the folder, last through a power cut.
void writeJournal(const std::string& folder, const WorldChange& change);

// Removes the journal, for good.
void removeJournal(const std::string& folder);

} // namespace tovren
