#pragma once

#include <string>
#include <vector>

namespace tovren {

// What rename and remove return: done (or, without --write, listed); not done, with nothing
// changed, or cut short with the rest kept in the folder's journal. A wrong command line is 2.
constexpr int changeDone = 0;
constexpr int changeNotDone = 1;

// FOLDER empty: the folder of this program.
struct RenameOptions {
    std::string folder;
    std::string map;
    std::string newName;
    std::vector<std::string> also; // suffixes of the files beside the link file: .tmx, .png
    bool write = false;
};
int renameMap(const RenameOptions& options);

struct RemoveOptions {
    std::string folder;
    std::string map;
    bool write = false;
};
int removeMap(const RemoveOptions& options);

// Before any other command on a folder: tells of a rename or removal there that was cut short,
// or with `finish`, completes it first. Returns false where it could not be completed; every
// word of it goes to the error stream, which leaves the command's own output as it is.
bool tellOrFinishChange(const std::string& folder, bool finish);

} // namespace tovren
