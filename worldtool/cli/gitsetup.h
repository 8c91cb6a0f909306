#pragma once

#include <string>

namespace tovren {

struct GitSetupOptions {
    std::string repository; // a folder of the repository's working tree; empty for this one
    bool remove = false;
};

// tovren-world git-setup: lets git keep link files' bytes as they are and merge them field by
// field. Adds "*.link -text merge=tovren-link" to the .gitattributes at the top of the working
// tree (making the file where there is none, never a second time) and this program as the merge
// driver tovren-link to the repository's config, with git itself; says what it did. With
// `remove`, takes both away, leaving the repository as it was. Needs git on the PATH.
int setUpGit(const GitSetupOptions& options);

} // namespace tovren
